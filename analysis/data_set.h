// The data of a run as the phases see it: views over arrays that
// run_analysis owns. Built once after the arrays are allocated.
#pragma once

#include <cstdint>

#include "analysis/arrays.h"

namespace tova {

struct DataSet {
  int32_t object_count = 0;    // n, rows of data_matrix
  int32_t variable_count = 0;  // m, columns of data_matrix
  Matrix<float> data_matrix;   // (n, m); -1.0 marks a missing value
  Vector<int32_t> variable_type;
  Vector<float> variable_range;  // divisor of the difference scores
  Vector<float> variable_min;
  Vector<float> period;       // circumference of circular variables
  Matrix<int32_t> tie_count;  // (n, m); tie-group size of a ranked value
};

// Variable type codes.
inline constexpr int32_t kMismatch = 1;
inline constexpr int32_t kRankedTiesDoubleZero = 2;
inline constexpr int32_t kRankedDoubleZero = 3;
inline constexpr int32_t kRankedTies = 4;
inline constexpr int32_t kRanked = 5;
inline constexpr int32_t kCircular = 6;
inline constexpr int32_t kInterval = 7;
inline constexpr int32_t kIntervalDoubleZero = 33;
inline constexpr int32_t kCircularDoubleZero = 34;

inline constexpr float kMissing = -1.0f;
// The score of a pair that cannot be compared (a zero and a positive value
// of a double-zero variable).
inline constexpr float kNotComparable = 5.0f;

constexpr bool is_known_type(int32_t code) {
  return (code >= kMismatch && code <= kInterval) || code == kIntervalDoubleZero ||
         code == kCircularDoubleZero;
}
constexpr bool is_ranked_type(int32_t code) {
  return code >= kRankedTiesDoubleZero && code <= kRanked;
}
constexpr bool is_circular_type(int32_t code) {
  return code == kCircular || code == kCircularDoubleZero;
}

}  // namespace tova
