// Test support: the progress records of the eigenanalysis, kept.
#pragma once

#include <vector>

#include "analysis/eigen.h"

namespace tova::test_support {

class RecordedProgress final : public EigenProgress {
 public:
  void started(float final_threshold) override {
    finals.push_back(final_threshold);
    in_order.push_back(final_threshold);
  }
  void level(float threshold) override {
    levels.push_back(threshold);
    in_order.push_back(threshold);
  }
  std::vector<float> finals;    // the stopping threshold, once per run that rotates
  std::vector<float> levels;    // each new threshold level
  std::vector<float> in_order;  // both, as they came
};

}  // namespace tova::test_support
