// Reproducible data sets for the benchmark: a mix of every type code with
// missing values, prepared by the program's ranking.
#pragma once

#include <cstdint>
#include <vector>

#include "reference/prepared_columns.h"

namespace tova::bench {

using BenchData = reference::PreparedColumns;

BenchData make_bench_data(int64_t objects, int64_t variables, double missing_rate, uint64_t seed);

// Writes the raw (unprepared) values of the same data set as CSV for
// peers.sh: columns named v<j>_t<type code>, NA for a missing value.
void write_csv(const char* path, int64_t objects, int64_t variables, double missing_rate,
               uint64_t seed);

}  // namespace tova::bench
