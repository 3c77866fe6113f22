// The literal group search of the ranking, kept as the reference the
// program's sorted ranking (rank_column_sorted) must match bit for bit.
// Pass it to rank_variables.
#pragma once

#include <cstdint>

#include "analysis/ranks.h"

namespace tova {

RankExtremes rank_column_group_search(DataSet& data, int32_t j);

}  // namespace tova
