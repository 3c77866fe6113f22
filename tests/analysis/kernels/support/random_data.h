// Prepared data sets for the kernel tests: random columns of every type
// code and hand-made ones, prepared by the program's ranking.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "analysis/kernels/simd_kernels.h"
#include "reference/prepared_columns.h"

namespace tova::kernels::testing {

using DataSet = reference::PreparedColumns;

// Columns given as raw values (as read from a data file, -1 missing),
// prepared by the program's ranking. Periods of non-circular variables are
// 0.
inline DataSet prepare(int64_t objects, const std::vector<int32_t>& types,
                       const std::vector<std::vector<float>>& columns,
                       const std::vector<float>& periods = {}) {
  return reference::prepare_columns(objects, types, columns, periods);
}

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

// Every instruction set the processor runs, widest first.
std::vector<const SimdKernels*> all_kernels();

inline uint32_t bits(float x) {
  uint32_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

// Every type code with a rule, cycled to `variables` columns.
std::vector<int32_t> mixed_types(int64_t variables, int offset = 0);

}  // namespace tova::kernels::testing
