// Preparation of the variables before any comparison: value ranges, mid-ranks
// with tie counts for the ordinal types, the double-zero treatment of the
// lowest rank group, and type 33 turned into type 3.
#pragma once

#include <optional>
#include <string>

#include "analysis/data_set.h"

namespace tova {

// The first value that no later phase can use, as a message naming it, its
// object and its variable, or nothing: in a variable of types 2 to 5 a value
// the ranking cannot place (NaN, or above 1.0E31, the value the group search
// starts from, which would keep that search from ever finishing); in any
// variable NaN or an infinity (a missing value written NA or NaN), which
// would turn every correlation and dissimilarity it touches into NaN.
// Checked before rank_variables runs.
std::optional<std::string> find_unusable_value(const DataSet& data);

// Steps 1 to 4 over the whole data matrix: starting values, value ranges,
// ranks and rank ranges, type 33. Rewrites data_matrix, variable_type,
// variable_range, variable_min and tie_count in place.
// kSorted finds the tie groups by sorting; kGroupSearch is the literal
// search, one pass per group, kept as the reference the tests compare with.
enum class RankSearch { kSorted, kGroupSearch };
void rank_variables(DataSet& data, RankSearch search = RankSearch::kSorted);

}  // namespace tova
