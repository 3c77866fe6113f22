// The variable-by-variable matrices: the D-correlation (the product-moment
// correlation, over all pairs of objects, of two variables' difference
// scores) and the sum of squared differences of those scores.
#pragma once

#include <cstdint>

#include "analysis/arrays.h"
#include "analysis/data_set.h"

namespace tova {

// 1.0 on the diagonal of d_correlation, 0.0 on that of squared_distance.
// Nothing later writes a diagonal element.
void set_diagonals(int32_t variable_count, Matrix<float> d_correlation,
                   Matrix<float> squared_distance);

// The difference score of `variable` for objects i < j, compared with the
// partner variable of type `partner_type`. The double-zero types set
// `double_zero_pair` to 1. The not-comparable marker is 5.0.
float difference_score(const DataSet& data, int32_t variable, int64_t i, int64_t j,
                       int32_t partner_type, int32_t& double_zero_pair);

// Every off-diagonal element of both matrices, pairs of variables in the
// order K = 1, L = 2..m; K = 2, L = 3..m; ... The two work arrays hold the
// scores of one pair of variables (packed by pair of objects) while a
// double-zero variable takes part.
void association_matrices(const DataSet& data, float pair_count, Matrix<float> d_correlation,
                          Matrix<float> squared_distance, Vector<float> first_differences,
                          Vector<float> second_differences);

}  // namespace tova
