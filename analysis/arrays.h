// 1-based, column-major views over the run's arrays, and the one place where
// element positions are computed.
//
// The arrays themselves are ALLOCATE'd through the run-time (allocate.h) and
// owned by run_analysis; these views only borrow them. All sizes and
// positions are 64-bit, so counts whose products pass 2^31 cannot wrap into
// a wrong position; such counts end at the allocation instead.
#pragma once

#include <cstdint>

#include "analysis/rules.h"
#include "textio/allocate.h"
#include "textio/io_api.h"

namespace tova {

// A negative extent means an empty array.
constexpr int64_t extent_of(int64_t count) {
  return count > 0 ? count : 0;
}

template <class T>
class Vector {
 public:
  Vector() = default;
  Vector(T* data, int64_t size) : data_(data), size_(extent_of(size)) {}
  explicit Vector(const textio::ArrayDescriptor& d)
      : data_(static_cast<T*>(d.base)), size_(extent_of(d.dims[0].extent)) {}

  T& operator()(int64_t i) const { return data_[i - 1]; }
  int64_t size() const { return size_; }
  T* data() const { return data_; }

 private:
  T* data_ = nullptr;
  int64_t size_ = 0;
};

// Indexed (row, column), stored column by column.
template <class T>
class Matrix {
 public:
  Matrix() = default;
  Matrix(T* data, int64_t rows, int64_t columns)
      : data_(data), rows_(extent_of(rows)), columns_(extent_of(columns)) {}
  explicit Matrix(const textio::ArrayDescriptor& d)
      : data_(static_cast<T*>(d.base)),
        rows_(extent_of(d.dims[0].extent)),
        columns_(extent_of(d.dims[1].extent)) {}

  T& operator()(int64_t row, int64_t column) const {
    return data_[(row - 1) + (column - 1) * rows_];
  }
  int64_t rows() const { return rows_; }
  int64_t columns() const { return columns_; }
  T* data() const { return data_; }

 private:
  T* data_ = nullptr;
  int64_t rows_ = 0;
  int64_t columns_ = 0;
};

// Descriptors of allocatable arrays, ready for textio::allocate.
inline textio::ArrayDescriptor real_array(int64_t extent) {
  textio::ArrayDescriptor d;
  d.type_code = textio::kItemReal4;
  d.set_rank(1);
  d.dims[0].extent = extent;
  return d;
}
inline textio::ArrayDescriptor integer_array(int64_t extent) {
  textio::ArrayDescriptor d;
  d.type_code = textio::kItemInteger4;
  d.set_rank(1);
  d.dims[0].extent = extent;
  return d;
}
inline textio::ArrayDescriptor real_array(int64_t rows, int64_t columns) {
  textio::ArrayDescriptor d = real_array(rows);
  d.set_rank(2);
  d.dims[1].extent = columns;
  return d;
}
inline textio::ArrayDescriptor integer_array(int64_t rows, int64_t columns) {
  textio::ArrayDescriptor d = integer_array(rows);
  d.set_rank(2);
  d.dims[1].extent = columns;
  return d;
}

}  // namespace tova
