// Variable ranges and mid-ranks. Every real is stored in single precision;
// each formula is evaluated in double and rounded at its store (rules.h,
// built with -ffp-contract=off).
#include "analysis/ranks.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/rules.h"

namespace tova {
namespace {

// Where the value-range search starts.
constexpr float kMinimumStart = 100000.0f;
constexpr float kMaximumStart = 0.0f;

// Minimum and maximum of the non-missing values (optionally leaving out the
// zeros), starting from 100000 and 0; the range is stored in variable_range.
void value_range(DataSet& d, int32_t j, bool skip_zeros) {
  for (int64_t i = 1; i <= d.object_count; ++i) {
    const float x = d.data_matrix(i, j);
    if (x == kMissing || (skip_zeros && x == 0.0f)) continue;
    if (x < d.variable_min(j)) d.variable_min(j) = x;
    if (x > d.variable_range(j)) d.variable_range(j) = x;
  }
}

}  // namespace

// The same ranks, tie counts and extremes as the literal group search
// (reference/rank_group_search.cpp), in O(n log n): the groups are taken from
// a sort by value instead of one search per group, and visited in the same
// order (groups upward, objects in order inside a group), so every
// comparison and every rounding happens as there.
RankExtremes rank_column_sorted(DataSet& d, int32_t j) {
  const int64_t n = d.object_count;
  std::vector<int64_t> objects;
  objects.reserve(static_cast<size_t>(n > 0 ? n : 0));
  for (int64_t i = 1; i <= n; ++i) {
    d.tie_count(i, j) = 0;
    if (d.data_matrix(i, j) != kMissing) objects.push_back(i);
  }
  // NaN (refused before ranking) sorts last so the order stays well defined.
  std::stable_sort(objects.begin(), objects.end(), [&](int64_t a, int64_t b) {
    const float x = d.data_matrix(a, j);
    const float y = d.data_matrix(b, j);
    return x < y || (std::isnan(y) && !std::isnan(x));
  });
  RankExtremes e;
  int64_t ranked = 0;
  for (size_t first = 0; first < objects.size();) {
    const float v = d.data_matrix(objects[first], j);
    size_t last = first + 1;
    while (last < objects.size() && d.data_matrix(objects[last], j) == v) ++last;
    const auto t = static_cast<int32_t>(last - first);
    ranked += t;
    const float rank = mid_rank(ranked - t, t);
    for (size_t k = first; k < last; ++k) {
      const int64_t i = objects[k];
      d.tie_count(i, j) = t;
      d.data_matrix(i, j) = rank;
      e.take(rank, i);
    }
    first = last;
  }
  return e;
}

namespace {

// The range of ranks; for the double-zero types the lowest group becomes 0.0.
// A column without the object a formula names gets range 0: it has no pair
// of objects whose score would divide by it.
float rank_range(DataSet& d, int32_t j, RankExtremes e) {
  const int32_t type = d.variable_type(j);
  if (type == kRanked) return f32(static_cast<double>(e.rank_max) - e.rank_min);
  if (e.min_object == 0) return 0.0f;
  const int32_t t_min = d.tie_count(e.min_object, j);
  const int32_t t_max = d.tie_count(e.max_object, j);
  if (type == kRankedTies) {
    return f32((static_cast<double>(e.rank_max) - e.rank_min) - tie_half(t_min) - tie_half(t_max));
  }
  // Types 2 and 3: the lowest group is taken as the absences.
  const int32_t z = t_min;
  e.rank_max = f32(static_cast<double>(e.rank_max) - z);
  float second_min = kAboveAll;
  int64_t second_object = 0;
  for (int64_t i = 1; i <= d.object_count; ++i) {
    const float x = d.data_matrix(i, j);
    if (x == kMissing) continue;
    if (x == e.rank_min) {
      d.data_matrix(i, j) = 0.0f;
    } else if (x < second_min) {
      second_min = x;
      second_object = i;
    }
  }
  e.rank_min = f32(static_cast<double>(second_min) - z);
  if (type == kRankedDoubleZero) return f32(static_cast<double>(e.rank_max) - e.rank_min);
  if (second_object == 0) return 0.0f;
  return f32((static_cast<double>(e.rank_max) - e.rank_min) -
             tie_half(d.tie_count(second_object, j)) - tie_half(t_max));
}

std::string describe_value(float x) {
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x > 0 ? "INF" : "-INF";
  return "above 1.0E31";
}

}  // namespace

std::optional<std::string> find_unusable_value(const DataSet& d) {
  for (int64_t j = 1; j <= d.variable_count; ++j) {
    const bool ranked = is_ranked_type(d.variable_type(j));
    for (int64_t i = 1; i <= d.object_count; ++i) {
      const float x = d.data_matrix(i, j);
      // Exactly 1.0E31 still forms a group; larger values and NaN never do.
      const bool unrankable = ranked && (std::isnan(x) || x > kAboveAll);
      if (!unrankable && std::isfinite(x)) continue;
      return "Value " + describe_value(x) + " of object " + std::to_string(i) +
             (unrankable ? " cannot be ranked in variable " + std::to_string(j) +
                               " (ranked values must not exceed 1.0E31)"
                         : " cannot be used in variable " + std::to_string(j) +
                               " (missing values are written -1)");
    }
  }
  return std::nullopt;
}

void rank_variables(DataSet& d, ColumnRanking rank_column) {
  const int32_t m = d.variable_count;
  for (int32_t j = 1; j <= m; ++j) {
    d.variable_min(j) = kMinimumStart;
    d.variable_range(j) = kMaximumStart;
  }
  for (int32_t j = 1; j <= m; ++j) value_range(d, j, false);
  for (int32_t j = 1; j <= m; ++j) {
    d.variable_range(j) = f32(static_cast<double>(d.variable_range(j)) - d.variable_min(j));
  }
  for (int32_t j = 1; j <= m; ++j) {
    if (!is_ranked_type(d.variable_type(j))) continue;
    d.variable_range(j) = rank_range(d, j, rank_column(d, j));
  }
  for (int32_t j = 1; j <= m; ++j) {
    if (d.variable_type(j) != kIntervalDoubleZero) continue;
    d.variable_min(j) = kMinimumStart;
    d.variable_range(j) = kMaximumStart;
    value_range(d, j, true);
    d.variable_range(j) = f32(static_cast<double>(d.variable_range(j)) - d.variable_min(j));
    d.variable_type(j) = kRankedDoubleZero;
  }
}

}  // namespace tova
