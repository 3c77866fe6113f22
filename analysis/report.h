// Principal-component ordination of the D-correlation matrix: packing, the
// positive eigenvalues, their percentages and the component correlations
// (loadings), and the console report of them.
#pragma once

#include <cstdint>

#include "analysis/arrays.h"

namespace tova {

// The four arrays of the eigenanalysis (allocated together by run_analysis).
struct Ordination {
  Vector<float> packed;       // N(N+1)/2: the packed matrix, then the eigenvalues
  Vector<float> vectors;      // N*N: eigenvectors, then loadings in the first columns
  Vector<float> eigenvalues;  // N, descending
  Vector<float> percentages;  // N: percentages, later the row buffer of LOADS.TXT
  int32_t positive_count = 0;
  float positive_sum = 0.0f;
};

// The lower triangle row by row, which is the packed storage of the upper
// triangle column by column.
void pack_lower_triangle(int32_t order, Matrix<float> d_correlation, Vector<float> packed);

// After jacobi_eigen: eigenvalues, count and sum of the positive ones (strictly
// greater than zero), percentages, and the first positive_count eigenvectors
// scaled by the square roots of their eigenvalues.
void positive_components(int32_t order, Ordination& result);

// Console records: the counts, all eigenvalues, the percentages and the
// COMPONENT CORRELATIONS heading.
void ordination_report(int32_t order, const Ordination& result);

// Format-17 lines of one variable: "VARIABLE i" and its loadings.
void write_variable_loadings(int32_t variable, Vector<float> row, int32_t count);

}  // namespace tova
