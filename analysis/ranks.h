// Preparation of the variables before any comparison: value ranges, mid-ranks
// with tie counts for the ordinal types, the double-zero treatment of the
// lowest rank group, and type 33 turned into type 3.
#pragma once

#include <optional>
#include <string>

#include "analysis/data_set.h"
#include "analysis/rules.h"

namespace tova {

// The first value that no later phase can use, as a message naming it, its
// object and its variable, or nothing: in a variable of types 2 to 5 a value
// the ranking cannot place (NaN, or above 1.0E31, the value the group search
// starts from, which would keep that search from ever finishing); in any
// variable NaN or an infinity (a missing value written NA or NaN), which
// would turn every correlation and dissimilarity it touches into NaN.
// Checked before rank_variables runs.
std::optional<std::string> find_unusable_value(const DataSet& data);

// Above every rankable value, and below every one.
inline constexpr float kAboveAll = 1.0e31f;
inline constexpr float kBelowAll = -1.0e31f;

// The rank of each of the t equal values that come after `before` smaller
// ones: the mean of the positions before + 1 .. before + t.
inline float mid_rank(int64_t before, int32_t t) {
  return f32(static_cast<double>(before) + (static_cast<double>(t) + 1.0) / 2.0);
}

// The last object of the lowest and of the highest rank group a column
// ranking found, 0 when the column holds no ranked value.
struct RankExtremes {
  float rank_min = kAboveAll;
  float rank_max = kBelowAll;
  int64_t min_object = 0;
  int64_t max_object = 0;

  // Object i took `rank`: the last of equal extremes wins.
  void take(float rank, int64_t i) {
    if (rank <= rank_min) {
      rank_min = rank;
      min_object = i;
    }
    if (rank_max <= rank) {
      rank_max = rank;
      max_object = i;
    }
  }
};

// Replaces column j's non-missing values by mid-ranks and fills its tie
// counts; the groups of equal values take their ranks from the smallest
// upward, the objects of a group in order.
using ColumnRanking = RankExtremes (*)(DataSet& data, int32_t j);
RankExtremes rank_column_sorted(DataSet& data, int32_t j);

// Steps 1 to 4 over the whole data matrix: starting values, value ranges,
// ranks and rank ranges, type 33. Rewrites data_matrix, variable_type,
// variable_range, variable_min and tie_count in place.
// rank_column ranks each column of a ranked type; the program sorts, the
// tests pass the literal group search of the reference library.
void rank_variables(DataSet& data, ColumnRanking rank_column = rank_column_sorted);

}  // namespace tova
