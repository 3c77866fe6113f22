// Prepared data sets for the kernel tests: random columns of every type
// code, brought into the form the preparation of the variables leaves
// (mid-ranks, tie counts, ranges, the lowest group of the double-zero
// ranked types at 0.0), and hand-made ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/kernels/kernels.h"

namespace tova::kernels::testing {

struct DataSet {
  int64_t objects = 0;
  int64_t variables = 0;
  std::vector<float> data;  // column-major
  std::vector<int32_t> type;
  std::vector<float> range;
  std::vector<int32_t> tie_count;
  std::vector<float> period;

  PreparedData view() const;
  float& x(int64_t i, int64_t j) { return data[static_cast<size_t>(i + j * objects)]; }
};

// Columns given as raw values (as read from a data file, -1 missing),
// prepared as the analysis prepares them. Periods of non-circular
// variables are 0.
DataSet prepare(int64_t objects, const std::vector<int32_t>& types,
                const std::vector<std::vector<float>>& columns,
                const std::vector<float>& periods = {});

struct RandomSpec {
  int64_t objects = 10;
  std::vector<int32_t> types;  // one per variable
  double missing_rate = 0.0;   // chance of -1 per value
  double zero_rate = 0.25;     // chance of 0 for double-zero types
  // Chance of +infinity for the types that are not ranked: infinite and
  // not-a-number scores of both signs.
  double infinite_rate = 0.0;
  uint64_t seed = 1;
};
DataSet random_data(const RandomSpec& spec);

// Every type code with a rule, cycled to `variables` columns.
std::vector<int32_t> mixed_types(int64_t variables, int offset = 0);

}  // namespace tova::kernels::testing
