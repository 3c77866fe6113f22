// The plain digit and output conversions, kept as written first: the fast
// conversions of the run-time must produce the very same bytes, and the
// tests compare the two on sweeps of bit patterns.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "textio/record_buffer.h"

namespace textio::reference {

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

// The digits of `value` (a widened 4-byte real unless `is_double`) as a
// string, and the rounding rule applied to that string: the form the fast
// conversions pack into one integer.
DecimalDigits decimal_digits(double value, bool is_double);
void round_digits(DecimalDigits& digits, int32_t m);

// The scaling step written out again, then the digits by long division of
// the scaled value's exact binary fraction, one digit at a time: twenty
// positions and h, as neither form of the digit algorithm computes them.
struct LongDivision {
  std::string digits;
  int32_t h = 0;
};
LongDivision long_division_digits(double value, bool is_double);

void edit_fixed(RecordBuffer& out, double value, bool is_double, int32_t w, int32_t d);
void edit_exponent(RecordBuffer& out, double value, bool is_double, int32_t w, int32_t d,
                   int32_t e);
void list_real(RecordBuffer& out, float value);
void list_double(RecordBuffer& out, double value);

}  // namespace textio::reference
