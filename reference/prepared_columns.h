// Data sets for the tests and the benchmarks: columns of raw values (as a
// data file gives them, -1 missing) prepared by the program's own ranking,
// so that every generator feeds the kernels what a run feeds them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/kernels/kernels.h"

namespace tova::reference {

struct PreparedColumns {
  int64_t objects = 0;
  int64_t variables = 0;
  std::vector<float> data;  // column-major
  std::vector<int32_t> type;
  std::vector<float> range;
  std::vector<float> minimum;
  std::vector<int32_t> tie_count;
  std::vector<float> period;

  kernels::PreparedData view() const;
  float& x(int64_t i, int64_t j) { return data[static_cast<size_t>(i + j * objects)]; }
};

// Periods of non-circular variables may be left out (0).
PreparedColumns prepare_columns(int64_t objects, const std::vector<int32_t>& types,
                                const std::vector<std::vector<float>>& columns,
                                const std::vector<float>& periods = {});

}  // namespace tova::reference
