// Test support: a DataSet over vectors the test owns, filled column by column.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/data_set.h"

namespace tova::test_support {

class DataBuilder {
 public:
  // Columns of equal length, one type code each; periods for circular ones.
  DataBuilder(std::vector<int32_t> types, std::vector<std::vector<float>> columns,
              std::vector<float> periods = {})
      : n_(columns.empty() ? 0 : static_cast<int32_t>(columns[0].size())),
        m_(static_cast<int32_t>(types.size())),
        types_(std::move(types)),
        values_(static_cast<size_t>(n_) * m_),
        ranges_(m_),
        minima_(m_),
        periods_(periods.empty() ? std::vector<float>(m_) : std::move(periods)),
        ties_(static_cast<size_t>(n_) * m_) {
    for (int32_t j = 0; j < m_; ++j) {
      for (int32_t i = 0; i < n_; ++i) values_[i + static_cast<size_t>(j) * n_] = columns[j][i];
    }
    data_ = data_set_over(n_, m_,
                          {values_.data(), types_.data(), ranges_.data(), minima_.data(),
                           periods_.data(), ties_.data()});
  }
  DataBuilder(const DataBuilder&) = delete;
  DataBuilder& operator=(const DataBuilder&) = delete;

  DataSet& data() { return data_; }
  std::vector<float> column(int32_t j) const {
    return {values_.begin() + static_cast<ptrdiff_t>(j - 1) * n_,
            values_.begin() + static_cast<ptrdiff_t>(j) * n_};
  }
  std::vector<int32_t> ties(int32_t j) const {
    return {ties_.begin() + static_cast<ptrdiff_t>(j - 1) * n_,
            ties_.begin() + static_cast<ptrdiff_t>(j) * n_};
  }

 private:
  int32_t n_;
  int32_t m_;
  std::vector<int32_t> types_;
  std::vector<float> values_;
  std::vector<float> ranges_;
  std::vector<float> minima_;
  std::vector<float> periods_;
  std::vector<int32_t> ties_;
  DataSet data_;
};

}  // namespace tova::test_support
