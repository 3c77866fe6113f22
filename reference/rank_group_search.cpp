// The ranking of one column as first written: one search per group of
// equal values, the smallest first. A non-zero tie count marks an object
// already ranked.
#include "reference/rank_group_search.h"

#include "analysis/rules.h"

namespace tova {

RankExtremes rank_column_group_search(DataSet& d, int32_t j) {
  const int64_t n = d.object_count;
  int64_t missing = 0;
  for (int64_t i = 1; i <= n; ++i) {
    if (d.data_matrix(i, j) == kMissing) ++missing;
    d.tie_count(i, j) = 0;
  }
  auto unranked = [&](int64_t i) {
    return d.data_matrix(i, j) != kMissing && d.tie_count(i, j) == 0;
  };
  RankExtremes e;
  int64_t ranked = 0;
  do {
    float v = kAboveAll;
    for (int64_t i = 1; i <= n; ++i) {
      if (unranked(i) && d.data_matrix(i, j) < v) v = d.data_matrix(i, j);
    }
    int32_t t = 0;
    for (int64_t i = 1; i <= n; ++i) {
      if (unranked(i) && d.data_matrix(i, j) == v) ++t;
    }
    ranked += t;
    for (int64_t i = 1; i <= n; ++i) {
      if (!unranked(i) || d.data_matrix(i, j) != v) continue;
      d.tie_count(i, j) = t;
      const float rank = mid_rank(ranked - t, t);
      d.data_matrix(i, j) = rank;
      e.take(rank, i);
    }
    // Values that no group can take are refused before ranking
    // (find_unusable_value); this only keeps a bad column from spinning.
    if (t == 0) break;
  } while (ranked < n - missing);
  return e;
}

}  // namespace tova
