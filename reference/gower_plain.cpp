// The Gower dissimilarities, loop by loop as the analysis defines them: the
// reference that the fast kernel must match bit for bit.
#include <cstdint>
#include <vector>

#include "analysis/rules.h"
#include "reference/kernels_reference.h"

namespace tova::kernels {

void gower_plain(const PreparedData& prepared, float* semimatrix) {
  const int64_t n = prepared.objects;
  const int64_t m = prepared.variables;
  const int64_t triangle_size = n * (n + 1) / 2;
  // 1-based accessors.
  auto x = [&](int64_t i, int64_t k) { return prepared.data[(i - 1) + (k - 1) * n]; };
  auto tie = [&](int64_t i, int64_t k) { return prepared.tie_count[(i - 1) + (k - 1) * n]; };
  auto sum = [&](int64_t p) -> float& { return semimatrix[p - 1]; };
  std::vector<int32_t> missing_count(static_cast<size_t>(triangle_size));
  std::vector<int32_t> mean_flag(static_cast<size_t>(triangle_size));

  for (int64_t p = 1; p <= triangle_size; ++p) {
    sum(p) = 0.0f;
    missing_count[p - 1] = 0;
  }
  for (int64_t k = 1; k <= m; ++k) {
    const int32_t type = prepared.type[k - 1];
    uint32_t scored_pairs = 0;  // a 32-bit count that wraps
    float score_sum = 0.0f;
    for (int64_t i = 1; i <= n - 1; ++i) {
      for (int64_t j = i + 1; j <= n; ++j) {
        const int64_t p = packed_position(i, j);
        mean_flag[p - 1] = 0;
        const float a = x(i, k);
        const float b = x(j, k);
        if (a == kMissing || b == kMissing) {
          ++missing_count[p - 1];
          continue;
        }
        const float score = difference_score(type, a, b, tie(i, k), tie(j, k),
                                             prepared.range[k - 1], prepared.period[k - 1], false);
        if (score != kNotComparable) {
          sum(p) = f32(plus(sum(p), score));
          score_sum = f32(plus(score_sum, score));
          ++scored_pairs;
        } else {
          mean_flag[p - 1] = 1;
        }
      }
    }
    const float mean_score = mean_of(score_sum, static_cast<int32_t>(scored_pairs));
    for (int64_t p = 1; p <= triangle_size; ++p) {
      if (mean_flag[p - 1] == 1) sum(p) = f32(plus(sum(p), mean_score));
    }
  }
  for (int64_t p = 1; p <= triangle_size; ++p) {
    const float divisor = static_cast<float>(m - missing_count[p - 1]);  // converted to real
    sum(p) = f32(static_cast<double>(sum(p)) / divisor);
  }
}

}  // namespace tova::kernels
