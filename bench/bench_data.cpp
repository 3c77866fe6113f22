#include "bench/bench_data.h"

#include <cmath>
#include <cstdio>
#include <random>

#include "analysis/rules.h"

namespace tova::bench {

namespace {

const int32_t kCodes[] = {kInterval,          kRanked,           kMismatch,
                          kRankedTies,        kCircular,         kRankedTiesDoubleZero,
                          kInterval,          kRankedDoubleZero, kCircularDoubleZero,
                          kIntervalDoubleZero};

int32_t code_of(int64_t j) {
  return kCodes[j % 10];
}

// Raw values: few levels for the nominal and ranked types, degrees for the
// circular ones, fractions for the interval ones; zeros for the double-zero
// types.
std::vector<float> raw_column(int32_t type, int64_t n, double missing_rate,
                              std::mt19937_64& random) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<float> x(static_cast<size_t>(n));
  for (float& v : x) {
    switch (type) {
      case kMismatch:
        v = static_cast<float>(1 + random() % 5);
        break;
      case kRankedTiesDoubleZero:
      case kRankedDoubleZero:
      case kRankedTies:
      case kRanked:
        v = static_cast<float>(1 + random() % 12);
        break;
      case kCircular:
      case kCircularDoubleZero:
        v = static_cast<float>(1 + random() % 359);
        break;
      default:
        v = static_cast<float>(1.0 + std::floor(unit(random) * 1000.0) / 10.0);
        break;
    }
    if (is_double_zero(type) && unit(random) < 0.3) v = 0.0f;
    if (unit(random) < missing_rate) v = kMissing;
  }
  return x;
}

}  // namespace

BenchData make_bench_data(int64_t objects, int64_t variables, double missing_rate, uint64_t seed) {
  std::mt19937_64 random(seed);
  std::vector<int32_t> types;
  std::vector<std::vector<float>> columns;
  std::vector<float> periods;
  for (int64_t j = 0; j < variables; ++j) {
    const int32_t type = code_of(j);
    types.push_back(type);
    columns.push_back(raw_column(type, objects, missing_rate, random));
    periods.push_back(is_circular_type(type) ? 360.0f : 0.0f);
  }
  return reference::prepare_columns(objects, types, columns, periods);
}

void write_csv(const char* path, int64_t objects, int64_t variables, double missing_rate,
               uint64_t seed) {
  std::mt19937_64 random(seed);
  std::vector<std::vector<float>> columns;
  for (int64_t j = 0; j < variables; ++j)
    columns.push_back(raw_column(code_of(j), objects, missing_rate, random));
  std::FILE* f = std::fopen(path, "w");
  if (!f) return;
  for (int64_t j = 0; j < variables; ++j)
    std::fprintf(f, "%sv%lld_t%d", j ? "," : "", static_cast<long long>(j + 1), code_of(j));
  std::fprintf(f, "\n");
  for (int64_t i = 0; i < objects; ++i) {
    for (int64_t j = 0; j < variables; ++j) {
      const float v = columns[static_cast<size_t>(j)][static_cast<size_t>(i)];
      if (j) std::fputc(',', f);
      if (v == kMissing)
        std::fputs("NA", f);
      else
        std::fprintf(f, "%g", static_cast<double>(v));
    }
    std::fprintf(f, "\n");
  }
  std::fclose(f);
}

}  // namespace tova::bench
