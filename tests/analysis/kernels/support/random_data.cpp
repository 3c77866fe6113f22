#include "analysis/kernels/support/random_data.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace tova::kernels::testing {

PreparedData DataSet::view() const {
  PreparedData d;
  d.objects = objects;
  d.variables = variables;
  d.data = data.data();
  d.type = type.data();
  d.range = range.data();
  d.tie_count = tie_count.data();
  d.period = period.data();
  d.pair_count = static_cast<float>(static_cast<double>(objects) * (objects - 1) / 2.0);
  return d;
}

namespace {

constexpr float kHigh = 1.0e31f;

// Mid-ranks of the non-missing values, tie counts, and the rank range of
// the ranked types; the lowest group of types 2 and 3 becomes 0.0.
void rank_column(int32_t type, float* x, int32_t* ties, int64_t n, float& range) {
  std::vector<float> values;
  for (int64_t i = 0; i < n; ++i)
    if (x[i] != -1.0f) values.push_back(x[i]);
  std::sort(values.begin(), values.end());
  float rank_min = kHigh, rank_max = -kHigh;
  int32_t tie_min = 0, tie_max = 0;
  std::vector<float> original(x, x + n);
  for (int64_t i = 0; i < n; ++i) {
    ties[i] = 0;
    if (original[i] == -1.0f) continue;
    const auto lower = std::lower_bound(values.begin(), values.end(), original[i]);
    const auto upper = std::upper_bound(values.begin(), values.end(), original[i]);
    const int32_t t = static_cast<int32_t>(upper - lower);
    const int32_t before = static_cast<int32_t>(lower - values.begin());
    const float rank = static_cast<float>(before + (t + 1) / 2.0);
    x[i] = rank;
    ties[i] = t;
    if (rank <= rank_min) rank_min = rank, tie_min = t;
    if (rank_max <= rank) rank_max = rank, tie_max = t;
  }
  if (values.empty()) {
    range = 0.0f;
    return;
  }
  if (type == 4) {
    range = static_cast<float>((rank_max - rank_min) - (tie_min - 1) / 2.0 - (tie_max - 1) / 2.0);
  } else if (type == 5) {
    range = rank_max - rank_min;
  } else {  // 2 and 3
    const int32_t z = tie_min;
    rank_max = static_cast<float>(rank_max - static_cast<double>(z));
    float second = kHigh;
    int32_t tie_second = 0;
    for (int64_t i = 0; i < n; ++i) {
      if (x[i] == -1.0f) continue;
      if (x[i] == rank_min) {
        x[i] = 0.0f;
      } else if (x[i] < second) {
        second = x[i];
        tie_second = ties[i];
      }
    }
    if (second == kHigh) {
      range = 0.0f;  // never used: every comparable pair has two zeros
      return;
    }
    rank_min = static_cast<float>(second - static_cast<double>(z));
    if (type == 2)
      range =
          static_cast<float>((rank_max - rank_min) - (tie_second - 1) / 2.0 - (tie_max - 1) / 2.0);
    else
      range = rank_max - rank_min;
  }
}

void value_range(const float* x, int64_t n, bool skip_zero, float& range) {
  float low = 100000.0f, high = 0.0f;
  for (int64_t i = 0; i < n; ++i) {
    if (x[i] == -1.0f || (skip_zero && x[i] == 0.0f)) continue;
    if (x[i] < low) low = x[i];
    if (x[i] > high) high = x[i];
  }
  range = high - low;
}

}  // namespace

DataSet prepare(int64_t objects, const std::vector<int32_t>& types,
                const std::vector<std::vector<float>>& columns, const std::vector<float>& periods) {
  DataSet s;
  s.objects = objects;
  s.variables = static_cast<int64_t>(types.size());
  s.type = types;
  s.range.assign(types.size(), 0.0f);
  s.period = periods;
  s.period.resize(types.size(), 0.0f);
  s.data.resize(static_cast<size_t>(objects * s.variables));
  s.tie_count.assign(s.data.size(), 0);
  for (int64_t j = 0; j < s.variables; ++j) {
    float* x = s.data.data() + j * objects;
    std::copy(columns[static_cast<size_t>(j)].begin(), columns[static_cast<size_t>(j)].end(), x);
    const int32_t t = types[static_cast<size_t>(j)];
    float& range = s.range[static_cast<size_t>(j)];
    value_range(x, objects, false, range);
    if (t >= 2 && t <= 5) rank_column(t, x, s.tie_count.data() + j * objects, objects, range);
    if (t == 33) value_range(x, objects, true, range);
  }
  return s;
}

std::vector<int32_t> mixed_types(int64_t variables, int offset) {
  static const int32_t kCodes[] = {1, 2, 3, 4, 5, 6, 7, 33, 34};
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
        case 1:
          x = static_cast<float>(random() % 4);
          break;
        case 2:
        case 3:
        case 4:
        case 5:
          x = static_cast<float>(1 + random() % levels);
          break;
        case 6:
        case 34:
          x = static_cast<float>(std::floor(u * period * 1000.0) / 1000.0);
          break;
        default:
          x = static_cast<float>(u * 50.0 - 5.0);
          break;
      }
      const bool double_zero = t == 2 || t == 3 || t == 33 || t == 34;
      if (double_zero && unit(random) < spec.zero_rate) x = 0.0f;
      const bool ranked = t >= 2 && t <= 5;
      if (!ranked && unit(random) < spec.infinite_rate) x = INFINITY;
      if (unit(random) < spec.missing_rate) x = -1.0f;
    }
    columns.push_back(column);
    periods.push_back(t == 6 || t == 34 ? period : 0.0f);
  }
  return prepare(n, spec.types, columns, periods);
}

}  // namespace tova::kernels::testing
