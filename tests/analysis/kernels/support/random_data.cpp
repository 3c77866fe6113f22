#include "analysis/kernels/support/random_data.h"

#include <cmath>
#include <random>

#include "analysis/rules.h"

namespace tova::kernels::testing {

std::vector<const SimdKernels*> all_kernels() {
  const SimdKernels* list[8];
  const int count = available_simd_kernels(list, 8);
  return std::vector<const SimdKernels*>(list, list + count);
}

std::vector<int32_t> mixed_types(int64_t variables, int offset) {
  static const int32_t kCodes[] = {
      kMismatch, kRankedTiesDoubleZero, kRankedDoubleZero,  kRankedTies, kRanked, kCircular,
      kInterval, kIntervalDoubleZero,   kCircularDoubleZero};
  std::vector<int32_t> types;
  for (int64_t j = 0; j < variables; ++j) types.push_back(kCodes[(j + offset) % 9]);
  return types;
}

DataSet random_data(const RandomSpec& spec) {
  std::mt19937_64 random(spec.seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const int64_t n = spec.objects;
  std::vector<std::vector<float>> columns;
  std::vector<float> periods;
  for (int32_t t : spec.types) {
    std::vector<float> column(static_cast<size_t>(n));
    // Few distinct values for the ranked and nominal types, so that ties are
    // common; fractional values for the interval and circular types, so that
    // differences are inexact in single precision; periods whose halves are
    // not whole numbers of the data's steps.
    const int levels = 2 + static_cast<int>(random() % 9);
    static const float kPeriods[] = {360.0f, 365.25f, 24.0f, 6.2831855f};
    const float period = kPeriods[random() % 4];
    for (float& x : column) {
      const double u = unit(random);
      switch (t) {
        case kMismatch:
          x = static_cast<float>(random() % 4);
          break;
        case kRankedTiesDoubleZero:
        case kRankedDoubleZero:
        case kRankedTies:
        case kRanked:
          x = static_cast<float>(1 + random() % levels);
          break;
        case kCircular:
        case kCircularDoubleZero:
          x = static_cast<float>(std::floor(u * period * 1000.0) / 1000.0);
          break;
        default:
          x = static_cast<float>(u * 50.0 - 5.0);
          break;
      }
      if (is_double_zero(t) && unit(random) < spec.zero_rate) x = 0.0f;
      if (!is_ranked_type(t) && unit(random) < spec.infinite_rate) x = INFINITY;
      if (unit(random) < spec.missing_rate) x = kMissing;
    }
    columns.push_back(column);
    periods.push_back(is_circular_type(t) ? period : 0.0f);
  }
  return prepare(n, spec.types, columns, periods);
}

}  // namespace tova::kernels::testing
