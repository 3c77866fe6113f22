// Gower dissimilarities. Single-precision sums rounded after every addition,
// formulas evaluated in double (precision.h; built with -ffp-contract=off).
#include "analysis/gower.h"

#include <algorithm>
#include <cmath>

#include "analysis/precision.h"

namespace tova {
namespace {

double distance(float a, float b) {
  return std::fabs(static_cast<double>(a) - b);
}

double tie_correction(int32_t tie_count) {
  return (static_cast<double>(tie_count) - 1.0) / 2.0;
}

// d = |a - b| and P - d are intermediates of the formula, kept in double.
float circular_score(float a, float b, float period) {
  const double d = distance(a, b);
  const double shorter = std::min(d, static_cast<double>(period) - d);
  return f32(2.0 * shorter / period);
}

}  // namespace

float gower_score(const DataSet& d, int32_t k, int64_t i, int64_t j) {
  const float a = d.data_matrix(i, k);
  const float b = d.data_matrix(j, k);
  const float range = d.variable_range(k);
  const int32_t type = d.variable_type(k);
  switch (type) {
    case kMismatch:
      return a == b ? 0.0f : 1.0f;
    case kRankedTiesDoubleZero:
    case kRankedDoubleZero:
    case kIntervalDoubleZero:
    case kCircularDoubleZero:
      if (a == 0.0f && b == 0.0f) return 0.0f;
      if (!(a > 0.0f && b > 0.0f)) return kNotComparable;
      if (type == kCircularDoubleZero) return circular_score(a, b, d.period(k));
      if (type != kRankedTiesDoubleZero) return f32(distance(a, b) / range);
      [[fallthrough]];
    case kRankedTies:
      if (a == b) return 0.0f;
      return f32(
          (distance(a, b) - tie_correction(d.tie_count(i, k)) - tie_correction(d.tie_count(j, k))) /
          range);
    case kCircular:
      return circular_score(a, b, d.period(k));
    case kRanked:
    case kInterval:
      return f32(distance(a, b) / range);
    default:
      // Codes without a rule are refused when the data file is read.
      return 0.0f;
  }
}

void gower_dissimilarities(const DataSet& d, int64_t triangle_size, GowerArrays g) {
  for (int64_t p = 1; p <= triangle_size; ++p) {
    g.semimatrix(p) = 0.0f;
    g.missing_count(p) = 0;
  }
  const int64_t n = d.object_count;
  for (int32_t k = 1; k <= d.variable_count; ++k) {
    int32_t scored_pairs = 0;
    float score_sum = 0.0f;
    for (int64_t i = 1; i < n; ++i) {
      for (int64_t j = i + 1; j <= n; ++j) {
        const int64_t p = packed_position(i, j);
        g.mean_flag(p) = 0;
        if (d.data_matrix(i, k) == kMissing || d.data_matrix(j, k) == kMissing) {
          ++g.missing_count(p);
          continue;
        }
        const float score = gower_score(d, k, i, j);
        if (score != kNotComparable) {
          g.semimatrix(p) = f32(plus(g.semimatrix(p), score));
          score_sum = f32(plus(score_sum, score));
          ++scored_pairs;
        } else {
          g.mean_flag(p) = 1;
        }
      }
    }
    const float mean_score = f32(score_sum / static_cast<double>(f32(scored_pairs)));
    for (int64_t p = 1; p <= triangle_size; ++p) {
      if (g.mean_flag(p) == 1) g.semimatrix(p) = f32(plus(g.semimatrix(p), mean_score));
    }
  }
  for (int64_t p = 1; p <= triangle_size; ++p) {
    const int32_t variables = d.variable_count - g.missing_count(p);
    g.semimatrix(p) = f32(g.semimatrix(p) / static_cast<double>(f32(variables)));
  }
}

}  // namespace tova
