// The D-correlation and squared-distance matrices, loop by loop as the
// analysis defines them: the reference that the fast kernel must match bit
// for bit.
#include <cstdint>
#include <vector>

#include "analysis/rules.h"
#include "reference/kernels_reference.h"

namespace tova::kernels {
namespace {

// 1-based views of the prepared data and of the two m x m matrices.
struct Views {
  const PreparedData& d;
  float* correlation_matrix;
  float* distance_matrix;

  float x(int64_t i, int64_t j) const { return d.data[(i - 1) + (j - 1) * d.objects]; }
  int32_t tie(int64_t i, int64_t j) const { return d.tie_count[(i - 1) + (j - 1) * d.objects]; }
  float& correlation(int64_t k, int64_t l) const {
    return correlation_matrix[(k - 1) + (l - 1) * d.variables];
  }
  float& distance(int64_t k, int64_t l) const {
    return distance_matrix[(k - 1) + (l - 1) * d.variables];
  }
  // The score of variable v for the objects i < j, with partner w.
  float score(int64_t v, int64_t w, int64_t i, int64_t j) const {
    return difference_score(d.type[v - 1], x(i, v), x(j, v), tie(i, v), tie(j, v), d.range[v - 1],
                            d.period[v - 1], !is_unordered(d.type[w - 1]));
  }
  bool skipped(int64_t k, int64_t l, int64_t i, int64_t j) const {
    return x(i, k) == kMissing || x(j, k) == kMissing || x(i, l) == kMissing || x(j, l) == kMissing;
  }
};

}  // namespace

void d_correlation_plain(const PreparedData& prepared, float* d_correlation,
                         float* squared_distance) {
  const Views v{prepared, d_correlation, squared_distance};
  const int64_t n = prepared.objects;
  const int64_t m = prepared.variables;
  for (int64_t j = 1; j <= m; ++j) {
    v.correlation(j, j) = 1.0f;
    v.distance(j, j) = 0.0f;
  }
  // The scores of a pair of variables that needs the second pass; index 0
  // stands for position 1.
  const int64_t triangle_size = n * (n + 1) / 2;
  std::vector<float> first_differences(static_cast<size_t>(triangle_size));
  std::vector<float> second_differences(static_cast<size_t>(triangle_size));

  for (int64_t k = 1; k <= m - 1; ++k) {
    for (int64_t l = k + 1; l <= m; ++l) {
      CorrelationSums sums;
      float missing_pairs = 0.0f;
      int32_t double_zero_pair = 0;
      for (int64_t i = 1; i <= n - 1; ++i) {
        for (int64_t j = i + 1; j <= n; ++j) {
          if (v.skipped(k, l, i, j)) {
            missing_pairs = f32(static_cast<double>(missing_pairs) + 1.0);
            continue;
          }
          const float sk = v.score(k, l, i, j);
          const float sl = v.score(l, k, i, j);
          if (is_double_zero(prepared.type[k - 1]) || is_double_zero(prepared.type[l - 1]))
            double_zero_pair = 1;
          if (double_zero_pair == 0) {
            add_scores(sums, sk, sl);
          } else {
            first_differences[packed_position(i, j) - 1] = sk;
            second_differences[packed_position(i, j) - 1] = sl;
          }
        }
      }
      if (double_zero_pair == 1) {
        // Not-comparable scores enter with the mean of the comparable ones,
        // taken over the pairs this pair of variables uses.
        uint32_t count_k = 0;  // 32-bit counts that wrap
        uint32_t count_l = 0;
        float mean_k = 0.0f;
        float mean_l = 0.0f;
        for (int64_t i = 1; i <= n - 1; ++i) {
          for (int64_t j = i + 1; j <= n; ++j) {
            if (v.skipped(k, l, i, j)) continue;
            const float first = first_differences[packed_position(i, j) - 1];
            const float second = second_differences[packed_position(i, j) - 1];
            if (first != kNotComparable) {
              ++count_k;
              mean_k = f32(plus(mean_k, first));
            }
            if (second != kNotComparable) {
              ++count_l;
              mean_l = f32(plus(mean_l, second));
            }
          }
        }
        mean_k = mean_of(mean_k, static_cast<int32_t>(count_k));
        mean_l = mean_of(mean_l, static_cast<int32_t>(count_l));
        for (int64_t i = 1; i <= n - 1; ++i) {
          for (int64_t j = i + 1; j <= n; ++j) {
            if (v.skipped(k, l, i, j)) continue;
            float sk = first_differences[packed_position(i, j) - 1];
            float sl = second_differences[packed_position(i, j) - 1];
            if (sk == kNotComparable) sk = mean_k;
            if (sl == kNotComparable) sl = mean_l;
            add_scores(sums, sk, sl);
          }
        }
      }
      const float used_pairs =
          f32(static_cast<double>(prepared.pair_count) - static_cast<double>(missing_pairs));
      const float r = correlation(sums, used_pairs);
      v.correlation(k, l) = r;
      v.correlation(l, k) = r;
      v.distance(k, l) = sums.squared_distance;
      v.distance(l, k) = sums.squared_distance;
    }
  }
}

}  // namespace tova::kernels
