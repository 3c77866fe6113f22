// The data of a run as the phases see it: views over arrays that
// run_analysis owns. Built once after the arrays are allocated.
#pragma once

#include <cstdint>

#include "analysis/arrays.h"
#include "analysis/kernels/kernels.h"
#include "analysis/rules.h"

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

// The owner's arrays of an n x m data set (values and tie counts
// column-major) seen as a DataSet.
struct DataSetArrays {
  float* values = nullptr;
  int32_t* types = nullptr;
  float* range = nullptr;
  float* minimum = nullptr;
  float* periods = nullptr;
  int32_t* ties = nullptr;
};
inline DataSet data_set_over(int32_t n, int32_t m, const DataSetArrays& a) {
  DataSet d;
  d.object_count = n;
  d.variable_count = m;
  d.data_matrix = Matrix<float>(a.values, n, m);
  d.variable_type = Vector<int32_t>(a.types, m);
  d.variable_range = Vector<float>(a.range, m);
  d.variable_min = Vector<float>(a.minimum, m);
  d.period = Vector<float>(a.periods, m);
  d.tie_count = Matrix<int32_t>(a.ties, n, m);
  return d;
}

// The prepared data as the kernels read it: borrowed views of the arrays,
// a negative count taken as none.
inline kernels::PreparedData prepared_view(const DataSet& d) {
  kernels::PreparedData p;
  p.objects = d.object_count > 0 ? d.object_count : 0;
  p.variables = d.variable_count > 0 ? d.variable_count : 0;
  p.data = d.data_matrix.data();
  p.type = d.variable_type.data();
  p.range = d.variable_range.data();
  p.tie_count = d.tie_count.data();
  p.period = d.period.data();
  p.pair_count = pair_count_of(d.object_count);
  return p;
}

}  // namespace tova
