#include "bench/bench_data.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace tova::bench {

kernels::PreparedData BenchData::view() const {
  kernels::PreparedData d;
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

const int32_t kCodes[] = {7, 5, 1, 4, 6, 2, 7, 3, 34, 33};

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
      case 1:
        v = static_cast<float>(1 + random() % 5);
        break;
      case 2:
      case 3:
      case 4:
      case 5:
        v = static_cast<float>(1 + random() % 12);
        break;
      case 6:
      case 34:
        v = static_cast<float>(1 + random() % 359);
        break;
      default:
        v = static_cast<float>(1.0 + std::floor(unit(random) * 1000.0) / 10.0);
        break;
    }
    if ((type == 2 || type == 3 || type == 33 || type == 34) && unit(random) < 0.3) v = 0.0f;
    if (unit(random) < missing_rate) v = -1.0f;
  }
  return x;
}

}  // namespace

BenchData make_bench_data(int64_t objects, int64_t variables, double missing_rate, uint64_t seed) {
  std::mt19937_64 random(seed);
  BenchData b;
  b.objects = objects;
  b.variables = variables;
  b.data.resize(static_cast<size_t>(objects * variables));
  b.tie_count.assign(b.data.size(), 0);
  for (int64_t j = 0; j < variables; ++j) {
    const int32_t type = code_of(j);
    std::vector<float> x = raw_column(type, objects, missing_rate, random);
    int32_t* ties = b.tie_count.data() + j * objects;
    // Ranges as the preparation finds them (starting from 100000 and 0).
    float low = 100000.0f, high = 0.0f;
    for (float v : x) {
      if (v == -1.0f || (type == 33 && v == 0.0f)) continue;
      low = std::min(low, v);
      high = std::max(high, v);
    }
    float range = high - low;
    if (type >= 2 && type <= 5) {
      std::vector<float> sorted;
      for (float v : x)
        if (v != -1.0f) sorted.push_back(v);
      std::sort(sorted.begin(), sorted.end());
      float rmin = 1e31f, rmax = -1e31f;
      int32_t tmin = 1, tmax = 1;
      for (int64_t i = 0; i < objects; ++i) {
        float& v = x[static_cast<size_t>(i)];
        if (v == -1.0f) continue;
        const auto lo = std::lower_bound(sorted.begin(), sorted.end(), v);
        const auto hi = std::upper_bound(sorted.begin(), sorted.end(), v);
        const int32_t t = static_cast<int32_t>(hi - lo);
        v = static_cast<float>((lo - sorted.begin()) + (t + 1) / 2.0);
        ties[i] = t;
        if (v <= rmin) rmin = v, tmin = t;
        if (rmax <= v) rmax = v, tmax = t;
      }
      if (type == 4)
        range = static_cast<float>((rmax - rmin) - (tmin - 1) / 2.0 - (tmax - 1) / 2.0);
      if (type == 5) range = rmax - rmin;
      if (type == 2 || type == 3) {
        float second = 1e31f;
        int32_t tsecond = 1;
        for (int64_t i = 0; i < objects; ++i) {
          float& v = x[static_cast<size_t>(i)];
          if (v == -1.0f) continue;
          if (v == rmin) {
            v = 0.0f;
          } else if (v < second) {
            second = v;
            tsecond = ties[i];
          }
        }
        rmax -= static_cast<float>(tmin);
        rmin = second - static_cast<float>(tmin);
        range = type == 2
                    ? static_cast<float>((rmax - rmin) - (tsecond - 1) / 2.0 - (tmax - 1) / 2.0)
                    : rmax - rmin;
      }
    }
    std::copy(x.begin(), x.end(), b.data.begin() + j * objects);
    b.type.push_back(type == 33 ? 3 : type);
    b.range.push_back(range);
    b.period.push_back(type == 6 || type == 34 ? 360.0f : 0.0f);
  }
  return b;
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
      if (v == -1.0f)
        std::fputs("NA", f);
      else
        std::fprintf(f, "%g", static_cast<double>(v));
    }
    std::fprintf(f, "\n");
  }
  std::fclose(f);
}

}  // namespace tova::bench
