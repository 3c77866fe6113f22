// Reproducible prepared data sets for the benchmark: a mix of every type
// code, ranked columns with mid-ranks and tie counts, missing values.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/kernels/kernels.h"

namespace tova::bench {

struct BenchData {
  int64_t objects = 0;
  int64_t variables = 0;
  std::vector<float> data;
  std::vector<int32_t> type;
  std::vector<float> range;
  std::vector<int32_t> tie_count;
  std::vector<float> period;
  kernels::PreparedData view() const;
};

BenchData make_bench_data(int64_t objects, int64_t variables, double missing_rate, uint64_t seed);

// Writes the raw (unprepared) values of the same data set as CSV for
// peers.sh: columns named v<j>_t<type code>, NA for a missing value.
void write_csv(const char* path, int64_t objects, int64_t variables, double missing_rate,
               uint64_t seed);

}  // namespace tova::bench
