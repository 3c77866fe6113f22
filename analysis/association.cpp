#include "analysis/association.h"

namespace tova {

void set_diagonals(int32_t variable_count, Matrix<float> d_correlation,
                   Matrix<float> squared_distance) {
  for (int64_t j = 1; j <= variable_count; ++j) {
    d_correlation(j, j) = 1.0f;
    squared_distance(j, j) = 0.0f;
  }
}

}  // namespace tova
