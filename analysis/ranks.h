// Preparation of the variables before any comparison: value ranges, mid-ranks
// with tie counts for the ordinal types, the double-zero treatment of the
// lowest rank group, and type 33 turned into type 3.
#pragma once

#include <optional>
#include <string>

#include "analysis/data_set.h"

namespace tova {

// A value that the ranking cannot place (NaN, or above 1.0E31, the value
// the group search starts from): a message naming it, or nothing. Checked
// for every variable of types 2 to 5 before rank_variables runs, since such
// a value would keep the group search from ever finishing.
std::optional<std::string> find_unrankable_value(const DataSet& data);

// Steps 1 to 4 over the whole data matrix: starting values, value ranges,
// ranks and rank ranges, type 33. Rewrites data_matrix, variable_type,
// variable_range, variable_min and tie_count in place.
// kSorted finds the tie groups by sorting; kGroupSearch is the literal
// search, one pass per group, kept as the reference the tests compare with.
enum class RankSearch { kSorted, kGroupSearch };
void rank_variables(DataSet& data, RankSearch search = RankSearch::kSorted);

}  // namespace tova
