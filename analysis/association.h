// The variable-by-variable matrices: the D-correlation (the product-moment
// correlation, over all pairs of objects, of two variables' difference
// scores) and the sum of squared differences of those scores. The
// off-diagonal elements come from kernels::d_correlation_fast; the literal
// loop it is held to lives in the reference library (reference/).
#pragma once

#include <cstdint>

#include "analysis/arrays.h"

namespace tova {

// 1.0 on the diagonal of d_correlation, 0.0 on that of squared_distance.
// Nothing later writes a diagonal element.
void set_diagonals(int32_t variable_count, Matrix<float> d_correlation,
                   Matrix<float> squared_distance);

}  // namespace tova
