// The scalar rules of the analysis, in one place: the type codes and
// markers, the packed position of a pair, the single-precision rounding
// point, the NaN order of sums and products, the difference scores and the
// closing formula of the D-correlation. Every loop of the product and of
// the references uses these; the vector bodies of the fast kernels
// (kernels/simd_*.inl) repeat them operation for operation.
//
// Every real of the analysis is a 32-bit float when stored; each formula is
// evaluated in double and rounded once, at the store, through f32(). The
// results are defined to the last bit, so the whole project is compiled with
// -ffp-contract=off and -fno-fast-math (top-level CMakeLists.txt): no fused
// multiply-add and no reassociation may change a rounding point.
#pragma once

#include <cmath>
#include <cstdint>

#include "textio/powers.h"

namespace tova {

// Variable type codes. 33 is turned into 3 by the preparation of the
// variables; the scores accept it as 3. Other codes are refused when the
// data file is read.
inline constexpr int32_t kMismatch = 1;
inline constexpr int32_t kRankedTiesDoubleZero = 2;
inline constexpr int32_t kRankedDoubleZero = 3;
inline constexpr int32_t kRankedTies = 4;
inline constexpr int32_t kRanked = 5;
inline constexpr int32_t kCircular = 6;
inline constexpr int32_t kInterval = 7;
inline constexpr int32_t kIntervalDoubleZero = 33;
inline constexpr int32_t kCircularDoubleZero = 34;

inline constexpr float kMissing = -1.0f;
// The score of a pair that cannot be compared (a zero and a positive value
// of a double-zero variable).
inline constexpr float kNotComparable = 5.0f;

constexpr bool is_known_type(int32_t code) {
  return (code >= kMismatch && code <= kInterval) || code == kIntervalDoubleZero ||
         code == kCircularDoubleZero;
}
constexpr bool is_ranked_type(int32_t code) {
  return code >= kRankedTiesDoubleZero && code <= kRanked;
}
constexpr bool is_circular_type(int32_t code) {
  return code == kCircular || code == kCircularDoubleZero;
}
// Partners of these types take unsigned scores from ordered variables.
constexpr bool is_unordered(int32_t type) {
  return type == kMismatch || type == kCircular || type == kCircularDoubleZero;
}
// Types whose zeros are absences: two zeros agree, a zero and a positive
// value cannot be compared.
constexpr bool is_double_zero(int32_t type) {
  return type == kRankedTiesDoubleZero || type == kRankedDoubleZero ||
         type == kIntervalDoubleZero || type == kCircularDoubleZero;
}

// Position of element (i, j), i <= j, of a packed symmetric triangle:
// i + (j^2 - j)/2, 1-based, so positions run (1,1), (1,2), (2,2), (1,3), ...
// The diagonal (k, k) sits at k(k + 1)/2. Used for the packed D-correlation
// matrix of the eigenanalysis and for every per-pair-of-objects array.
constexpr int64_t packed_position(int64_t i, int64_t j) {
  return i + (j * j - j) / 2;
}

// Elements of a packed triangle of order n: n(n + 1)/2.
constexpr int64_t packed_size(int64_t n) {
  return n * (n + 1) / 2;
}

// The number of pairs of n objects, n(n - 1)/2, as the analysis stores it:
// a real.
inline float pair_count_of(int64_t n) {
  return static_cast<float>(static_cast<double>((n - 1) * n / 2));
}

// The one rounding point of a formula: double to single, round to nearest.
inline float f32(double value) {
  return static_cast<float>(value);
}

// A NaN operand is propagated from the first operand as the formula is
// written. The processor does that for an instruction in that order, but the
// compiler may swap the operands of a commutative operation, so sums and
// products that can meet two NaNs say it.
inline double plus(double a, double b) {
  return std::isnan(a) ? a : a + b;
}
inline double times(double a, double b) {
  return std::isnan(a) ? a : a * b;
}

// A square is the single-precision product x*x, as the run-time's rpow gives.
inline float square(float value) {
  return textio::rpow(value, 2);
}

// The tie correction (T - 1)/2 of one object, T converted to real.
inline double tie_half(int32_t tie) {
  return (static_cast<double>(tie) - 1.0) / 2.0;
}

// The shorter way round the circle, over half the period: 2c/P when the
// way back c = P - d is not longer than d, else 2d/P. d and c are
// intermediates of the one formula: double, compared in double, never
// stored; only the score is rounded.
inline float circular_score(float xi, float xj, float period) {
  const double d = std::fabs(static_cast<double>(xi) - static_cast<double>(xj));
  const double c = static_cast<double>(period) - d;
  const double shorter = c <= d ? c : d;
  return f32(2.0 * shorter / static_cast<double>(period));
}

// A mean over `count` scores: the count is converted to real (float)
// before the division.
inline float mean_of(float sum, int32_t count) {
  return f32(static_cast<double>(sum) / static_cast<double>(static_cast<float>(count)));
}

// The tie-corrected rank difference, T_I's correction subtracted first.
inline float tied_rank_score(float xi, float xj, int32_t ti, int32_t tj, float range) {
  const double d = std::fabs(static_cast<double>(xi) - static_cast<double>(xj));
  return f32((d - tie_half(ti) - tie_half(tj)) / static_cast<double>(range));
}

inline float distance_over_range(float xi, float xj, float range) {
  return f32(std::fabs(static_cast<double>(xi) - static_cast<double>(xj)) /
             static_cast<double>(range));
}

// The score of one variable for the objects I < J. With an ordered partner
// (signed == true) the ordered types give a signed score, positive when the
// first object has the larger value; the Gower dissimilarities take the
// unsigned score (signed == false). Missing values are tested by the caller.
inline float difference_score(int32_t type, float xi, float xj, int32_t ti, int32_t tj, float range,
                              float period, bool signed_score) {
  switch (type) {
    case kMismatch:
      return xi == xj ? 0.0f : 1.0f;
    case kRankedTiesDoubleZero:
    case kRankedDoubleZero:
    case kIntervalDoubleZero: {
      float score = kNotComparable;
      if (xi == 0.0f && xj == 0.0f) score = 0.0f;
      if (xi > 0.0f && xj > 0.0f) {
        if (type == kRankedTiesDoubleZero)
          score = xi == xj ? 0.0f : tied_rank_score(xi, xj, ti, tj, range);
        else
          score = distance_over_range(xi, xj, range);
      }
      if (signed_score && xj > xi && score != kNotComparable) score = -score;
      return score;
    }
    case kCircularDoubleZero: {
      float score = kNotComparable;
      if (xi == 0.0f && xj == 0.0f) score = 0.0f;
      if (xi > 0.0f && xj > 0.0f) score = circular_score(xi, xj, period);
      return score;
    }
    case kRankedTies: {
      if (xi == xj) return 0.0f;
      const float score = tied_rank_score(xi, xj, ti, tj, range);
      return signed_score && xj > xi ? -score : score;
    }
    case kCircular:
      return circular_score(xi, xj, period);
    case kRanked:
    case kInterval:
      if (!signed_score) return distance_over_range(xi, xj, range);
      return f32((static_cast<double>(xi) - static_cast<double>(xj)) / static_cast<double>(range));
    default:
      return 0.0f;  // unreachable: other codes are refused on reading
  }
}

// The six rounding chains of one pair of variables.
struct CorrelationSums {
  float sum_k = 0.0f;
  float sum_l = 0.0f;
  float sum_kl = 0.0f;
  float sum_kk = 0.0f;
  float sum_ll = 0.0f;
  float squared_distance = 0.0f;
};

// Adds one pair of scores to the six chains. Rounding points: s_K and s_L
// and every sum are floats; each square is rpow(x, 2), rounded before its
// add; the difference s_K - s_L is rounded before it is squared; the product
// s_K*s_L is not rounded: sum_kl + s_K*s_L is evaluated in double and only
// the sum is rounded.
inline void add_scores(CorrelationSums& sums, float sk, float sl) {
  sums.sum_k = f32(plus(sums.sum_k, sk));
  sums.sum_l = f32(plus(sums.sum_l, sl));
  sums.sum_kl = f32(plus(sums.sum_kl, times(sk, sl)));
  sums.sum_kk = f32(plus(sums.sum_kk, square(sk)));
  sums.sum_ll = f32(plus(sums.sum_ll, square(sl)));
  const float difference = f32(static_cast<double>(sk) - static_cast<double>(sl));
  sums.squared_distance = f32(plus(sums.squared_distance, square(difference)));
}

// The product-moment correlation from the sums. Rounded to float: the
// numerator, a, the products used_pairs*sum_kk and used_pairs*sum_ll, and
// the squares sum_k^2 and sum_l^2; carried in double: b, a*b, its square
// root and the quotient; r is rounded when stored.
inline float correlation(const CorrelationSums& sums, float used_pairs) {
  const double used = used_pairs;
  const float numerator = f32(used * sums.sum_kl - times(sums.sum_k, sums.sum_l));
  const float used_kk = f32(used * sums.sum_kk);
  const float used_ll = f32(used * sums.sum_ll);
  const float a = f32(static_cast<double>(used_kk) - square(sums.sum_k));
  const double b = static_cast<double>(used_ll) - square(sums.sum_l);
  return f32(static_cast<double>(numerator) / std::sqrt(times(a, b)));
}

// The dissimilarity of two variables, 1 - rho, rounded when it is shown.
inline float one_minus_rho(float rho) {
  return f32(1.0 - rho);
}

// The missing_pairs count as its float chain of +1.0 steps holds it: exact
// up to 2^24, where adding 1.0 no longer changes the sum.
inline float counted_pairs(int64_t count) {
  constexpr int64_t kExactLimit = int64_t{1} << 24;
  return static_cast<float>(count < kExactLimit ? count : kExactLimit);
}

}  // namespace tova
