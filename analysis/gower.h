// Gower dissimilarities between all pairs of objects: the mean over the
// variables of an unsigned difference score between 0 and 1, missing values
// left out, not-comparable double-zero pairs counted at the variable's mean.
// Computed by kernels::gower_fast; the literal loop it is held to lives in
// the reference library (reference/).
#pragma once

#include "analysis/arrays.h"

namespace tova {

// The three arrays of the Gower dissimilarities, triangle_size elements each,
// packed by pair of objects (packed_position(i, j), i <= j).
struct GowerArrays {
  Vector<float> semimatrix;       // sum of scores, then the dissimilarity
  Vector<int32_t> missing_count;  // variables missing in either object
  Vector<int32_t> mean_flag;      // the current variable gave the pair 5.0
};

}  // namespace tova
