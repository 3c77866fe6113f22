// D-correlation and squared-distance matrices. Single-precision storage of
// double evaluations: every running sum is rounded after each addition, a
// square is the single-precision product (precision.h); the project builds
// with -ffp-contract=off so no multiply-add is fused.
#include "analysis/association.h"

#include <cmath>

#include "analysis/precision.h"

namespace tova {
namespace {

// The partner variable decides whether a score carries a sign.
bool is_unordered_type(int32_t code) {
  return code == kMismatch || code == kCircular || code == kCircularDoubleZero;
}

double tie_correction(int32_t tie_count) {
  return (static_cast<double>(tie_count) - 1.0) / 2.0;
}

double distance(float a, float b) {
  return std::fabs(static_cast<double>(a) - b);
}

// Twice the shorter way around the circle, over the period; d and c are
// intermediates of the formula, kept and compared in double.
float circular_score(float a, float b, float period) {
  const double d = distance(a, b);
  const double c = static_cast<double>(period) - d;
  return c <= d ? f32(2.0 * c / period) : f32(2.0 * d / period);
}

float tie_corrected_score(float a, float b, int32_t tie_a, int32_t tie_b, float range) {
  return f32((distance(a, b) - tie_correction(tie_a) - tie_correction(tie_b)) / range);
}

struct Sums {
  float sum_k = 0.0f;
  float sum_l = 0.0f;
  float sum_kl = 0.0f;
  float sum_kk = 0.0f;
  float sum_ll = 0.0f;
  float squared_distance = 0.0f;

  void add(float s_k, float s_l) {
    sum_k = f32(plus(sum_k, s_k));
    sum_l = f32(plus(sum_l, s_l));
    sum_kl = f32(plus(sum_kl, times(s_k, s_l)));
    sum_kk = f32(plus(sum_kk, square(s_k)));
    sum_ll = f32(plus(sum_ll, square(s_l)));
    const float difference = f32(static_cast<double>(s_k) - s_l);
    squared_distance = f32(plus(squared_distance, square(difference)));
  }
};

// The rounding points are part of the result: the numerator, a, the two
// products used_pairs*sum_kk and used_pairs*sum_ll and the squares of the
// sums are single precision; b, a*b, its root and the quotient are double.
float correlation(const Sums& s, float used_pairs) {
  const float numerator = f32(static_cast<double>(used_pairs) * s.sum_kl - times(s.sum_k, s.sum_l));
  const float used_kk = f32(static_cast<double>(used_pairs) * s.sum_kk);
  const float a = f32(static_cast<double>(used_kk) - square(s.sum_k));
  const float used_ll = f32(static_cast<double>(used_pairs) * s.sum_ll);
  const double b = static_cast<double>(used_ll) - square(s.sum_l);
  return f32(numerator / std::sqrt(times(a, b)));
}

bool pair_has_missing(const DataSet& d, int64_t k, int64_t l, int64_t i, int64_t j) {
  const Matrix<float>& x = d.data_matrix;
  return x(i, k) == kMissing || x(j, k) == kMissing || x(i, l) == kMissing || x(j, l) == kMissing;
}

// Mean of the comparable scores of one work array, over the pairs of objects
// not skipped for a missing value.
float comparable_mean(const DataSet& d, int64_t k, int64_t l, Vector<float> scores) {
  int32_t count = 0;
  float mean = 0.0f;
  for (int64_t i = 1; i < d.object_count; ++i) {
    for (int64_t j = i + 1; j <= d.object_count; ++j) {
      if (pair_has_missing(d, k, l, i, j)) continue;
      const float s = scores(packed_position(i, j));
      if (s == kNotComparable) continue;
      ++count;
      mean = f32(plus(mean, s));
    }
  }
  return f32(mean / static_cast<double>(f32(count)));
}

}  // namespace

void set_diagonals(int32_t variable_count, Matrix<float> d_correlation,
                   Matrix<float> squared_distance) {
  for (int64_t j = 1; j <= variable_count; ++j) {
    d_correlation(j, j) = 1.0f;
    squared_distance(j, j) = 0.0f;
  }
}

float difference_score(const DataSet& d, int32_t v, int64_t i, int64_t j, int32_t partner_type,
                       int32_t& double_zero_pair) {
  const float a = d.data_matrix(i, v);
  const float b = d.data_matrix(j, v);
  const float range = d.variable_range(v);
  const bool signed_score = !is_unordered_type(partner_type);
  switch (d.variable_type(v)) {
    case kMismatch:
      return a == b ? 0.0f : 1.0f;
    case kRankedTiesDoubleZero:
    case kRankedDoubleZero: {
      double_zero_pair = 1;
      float s = kNotComparable;
      if (a == 0.0f && b == 0.0f) {
        s = 0.0f;
      } else if (a > 0.0f && b > 0.0f) {
        if (d.variable_type(v) == kRankedDoubleZero) {
          s = f32(distance(a, b) / range);
        } else {
          s = a == b ? 0.0f
                     : tie_corrected_score(a, b, d.tie_count(i, v), d.tie_count(j, v), range);
        }
      }
      if (signed_score && b > a && s != kNotComparable) s = -s;
      return s;
    }
    case kCircularDoubleZero:
      double_zero_pair = 1;
      if (a == 0.0f && b == 0.0f) return 0.0f;
      if (a > 0.0f && b > 0.0f) return circular_score(a, b, d.period(v));
      return kNotComparable;
    case kCircular:
      return circular_score(a, b, d.period(v));
    case kRanked:
    case kInterval:
      return signed_score ? f32((static_cast<double>(a) - b) / range) : f32(distance(a, b) / range);
    case kRankedTies: {
      if (a == b) return 0.0f;
      const float s = tie_corrected_score(a, b, d.tie_count(i, v), d.tie_count(j, v), range);
      return signed_score && b > a ? -s : s;
    }
    default:
      // Codes without a rule are refused when the data file is read.
      return 0.0f;
  }
}

void association_matrices(const DataSet& d, float pair_count, Matrix<float> d_correlation,
                          Matrix<float> squared_distance, Vector<float> first_differences,
                          Vector<float> second_differences) {
  const int64_t n = d.object_count;
  for (int32_t k = 1; k < d.variable_count; ++k) {
    for (int32_t l = k + 1; l <= d.variable_count; ++l) {
      Sums sums;
      float missing_pairs = 0.0f;
      int32_t double_zero_pair = 0;
      for (int64_t i = 1; i < n; ++i) {
        for (int64_t j = i + 1; j <= n; ++j) {
          if (pair_has_missing(d, k, l, i, j)) {
            missing_pairs = f32(static_cast<double>(missing_pairs) + 1.0);
            continue;
          }
          const float s_k = difference_score(d, k, i, j, d.variable_type(l), double_zero_pair);
          const float s_l = difference_score(d, l, i, j, d.variable_type(k), double_zero_pair);
          if (double_zero_pair == 0) {
            sums.add(s_k, s_l);
          } else {
            first_differences(packed_position(i, j)) = s_k;
            second_differences(packed_position(i, j)) = s_l;
          }
        }
      }
      if (double_zero_pair == 1) {
        // Not-comparable pairs enter with the mean comparable score.
        const float mean_k = comparable_mean(d, k, l, first_differences);
        const float mean_l = comparable_mean(d, k, l, second_differences);
        for (int64_t i = 1; i < n; ++i) {
          for (int64_t j = i + 1; j <= n; ++j) {
            if (pair_has_missing(d, k, l, i, j)) continue;
            const float f = first_differences(packed_position(i, j));
            const float s = second_differences(packed_position(i, j));
            sums.add(f == kNotComparable ? mean_k : f, s == kNotComparable ? mean_l : s);
          }
        }
      }
      const float used_pairs = f32(static_cast<double>(pair_count) - missing_pairs);
      const float r = correlation(sums, used_pairs);
      d_correlation(k, l) = r;
      d_correlation(l, k) = r;
      squared_distance(k, l) = sums.squared_distance;
      squared_distance(l, k) = sums.squared_distance;
    }
  }
}

}  // namespace tova
