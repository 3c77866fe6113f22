// The literal loop nests of the kernels, as the analysis defines them: the
// references that the fast kernels (analysis/kernels/kernels.h) must match
// bit for bit. Linked by the tests and the benchmark, never by the program.
#pragma once

#include "analysis/kernels/kernels.h"

namespace tova::kernels {

// d_correlation and squared_distance are m x m, column-major, symmetric;
// the diagonals are 1.0 and 0.0.
void d_correlation_plain(const PreparedData& prepared, float* d_correlation,
                         float* squared_distance);

// semimatrix has n(n + 1)/2 elements, packed; the diagonal positions end as
// 0.0 / m.
void gower_plain(const PreparedData& prepared, float* semimatrix);

}  // namespace tova::kernels
