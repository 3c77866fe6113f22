// Eigenvalue bookkeeping and loadings. Floats stored, double evaluated,
// rounded at each store (rules.h; built with -ffp-contract=off).
#include "analysis/report.h"

#include <cmath>

#include "analysis/rules.h"

namespace tova {

void pack_lower_triangle(int32_t order, Matrix<float> d_correlation, Vector<float> packed) {
  int64_t k = 0;
  for (int64_t i = 1; i <= order; ++i) {
    for (int64_t j = 1; j <= i; ++j) packed(++k) = d_correlation(i, j);
  }
}

void positive_components(int32_t order, Ordination& r) {
  const int64_t n = order;
  r.positive_count = 0;
  r.positive_sum = 0.0f;
  for (int64_t i = 1; i <= n; ++i) {
    r.eigenvalues(i) = r.packed(packed_position(i, i));
    if (r.eigenvalues(i) > 0.0f) {
      r.positive_sum = f32(static_cast<double>(r.positive_sum) + r.eigenvalues(i));
      ++r.positive_count;
    }
  }
  // Sorted descending, so the positive eigenvalues come first.
  for (int64_t i = 1; i <= r.positive_count; ++i) {
    r.percentages(i) = f32(static_cast<double>(r.eigenvalues(i)) * 100.0 / r.positive_sum);
  }
  const Matrix<float> loadings(r.vectors.data(), n, n);
  for (int64_t j = 1; j <= r.positive_count; ++j) {
    const double root = std::sqrt(static_cast<double>(r.eigenvalues(j)));
    for (int64_t i = 1; i <= n; ++i) {
      float& v = loadings(i, j);
      v = f32(v * root);
    }
  }
}

}  // namespace tova
