// The three matrix listings on the console: D-correlation, dissimilarity
// (1 - rho) and squared distances, each the whole square in row order.
#pragma once

#include <cstdint>

#include "analysis/arrays.h"

namespace tova {

void list_matrices(int32_t variable_count, Matrix<float> d_correlation,
                   Matrix<float> squared_distance);

}  // namespace tova
