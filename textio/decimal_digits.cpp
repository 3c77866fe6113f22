#include "textio/decimal_digits.h"

#include <array>
#include <cstring>

#include "textio/powers.h"

namespace textio {

namespace {

// Powers of ten as the run-time's own powering rounds them; h0 lies within
// [-308, 307] for every normal double.
constexpr int32_t kMaxPower = 308;

void fill_zeros(DecimalDigits& d) {
  std::memset(d.digits, '0', DecimalDigits::kLength);
}

// Leaves '1' and zeros: the carry ran out of the first digit.
void carry_out(DecimalDigits& d) {
  fill_zeros(d);
  d.digits[0] = '1';
  ++d.exponent;
}

// Adds one to the first `count` digits (count >= 1).
void increment(DecimalDigits& d, int32_t count) {
  for (int32_t i = count - 1; i >= 0; --i) {
    if (d.digits[i] != '9') {
      ++d.digits[i];
      return;
    }
    d.digits[i] = '0';
  }
  carry_out(d);
}

}  // namespace

namespace digits_detail {

const double* make_scale_powers() {
  static std::array<double, kMaxPower + 1> table;
  for (int32_t k = 0; k <= kMaxPower; ++k) table[k] = dpow(10.0, k);
  return table.data();
}

}  // namespace digits_detail

DecimalDigits decimal_digits(double value, bool is_double) {
  const PackedDigits packed = packed_digits(value, is_double);
  DecimalDigits d;
  d.kind = packed.kind;
  d.negative = packed.negative;
  d.exponent = packed.exponent;
  d.generated = packed.generated;
  fill_zeros(d);
  if (packed.kind == DecimalDigits::kFinite) write_generated(packed, d.digits);
  return d;
}

void round_digits(DecimalDigits& d, int32_t m) {
  if (d.kind != DecimalDigits::kFinite || m <= -1) return;
  if (m < d.generated) {
    const bool up = d.digits[m] >= '5';
    std::memset(d.digits + m, '0', DecimalDigits::kLength - m);
    if (!up) return;
    if (m == 0) {
      carry_out(d);
    } else {
      increment(d, m);
    }
    return;
  }
  const int32_t last = d.generated - 1;
  if (d.digits[last] < '5') return;
  d.digits[last] = '0';
  increment(d, last);
}

}  // namespace textio
