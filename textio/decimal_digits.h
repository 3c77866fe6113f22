// The run-time's own decimal digit algorithm for real values: a sign, a
// string of twenty digits and a decimal exponent h, the value reading
// 0.D1D2...D20 x 10^h. The digits come from one scaling by a power of ten
// and exact truncation of the scaled double, not from the C library, so the
// text of every number is the same on every platform. Layout is elsewhere.
#pragma once

#include <cstdint>

namespace textio {

struct DecimalDigits {
  enum Kind : uint8_t { kFinite, kNaN, kInfinity };

  static constexpr int32_t kLength = 20;

  Kind kind = kFinite;
  bool negative = false;  // the sign bit, so -0.0 and -NaN are negative
  int32_t exponent = 0;   // h
  int32_t generated = 8;  // digits read off the value: 8 (4-byte) or 16 (8-byte)
  char digits[kLength];   // '0'..'9', padded with '0' after the generated ones

  // Digit at 1-based `position`; positions past the twentieth are '0'.
  char at(int32_t position) const {
    return position >= 1 && position <= kLength ? digits[position - 1] : '0';
  }
};

// Digits of `value`, which is a widened 4-byte real unless `is_double`.
// Zero, and an 8-byte value with a biased exponent of 0, give twenty '0'
// and h = 0.
DecimalDigits decimal_digits(double value, bool is_double);

// Keeps `m` significant digits. Below the generated count, digit m+1 rounds
// half up; from the generated count on, the last generated digit rounds the
// ones before it and becomes '0'. A carry out of the first digit (or
// rounding up with m = 0) leaves '1' and zeros and raises h. m <= -1 keeps
// everything. Not-finite values are left alone.
void round_digits(DecimalDigits& digits, int32_t m);

}  // namespace textio
