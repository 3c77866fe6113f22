#include "textio/decimal_digits.h"

#include <array>
#include <cstring>

#include "textio/powers.h"

namespace textio {

namespace {

// Powers of ten as the run-time's own powering rounds them; h0 lies within
// [-308, 307] for every normal double.
constexpr int32_t kMaxPower = 308;

const std::array<double, kMaxPower + 1>& powers_of_ten() {
  static const std::array<double, kMaxPower + 1> table = [] {
    std::array<double, kMaxPower + 1> t{};
    for (int32_t k = 0; k <= kMaxPower; ++k) t[k] = dpow(10.0, k);
    return t;
  }();
  return table;
}

uint64_t bits_of(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Floor division by 65536 that also rounds negative quotients down.
int32_t floor_div_65536(int32_t n) {
  return n >= 0 ? n / 65536 : -((-n + 65535) / 65536);
}

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

DecimalDigits decimal_digits(double value, bool is_double) {
  DecimalDigits d;
  d.generated = is_double ? 16 : 8;
  const uint64_t bits = bits_of(value);
  d.negative = (bits >> 63) != 0;
  const int32_t biased = static_cast<int32_t>((bits >> 52) & 0x7FF);
  const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
  fill_zeros(d);
  if (biased == 0x7FF) {
    d.kind = fraction != 0 ? DecimalDigits::kNaN : DecimalDigits::kInfinity;
    return d;
  }
  if (biased == 0) return d;  // zero, or a subnormal 8-byte value: shown as zero

  const double magnitude = value < 0 ? -value : value;
  const int32_t h0 = floor_div_65536(biased * 19728 - 20181744);
  double scaled = magnitude;
  if (h0 > 0) {
    scaled = magnitude / powers_of_ten()[h0];
  } else if (h0 < 0) {
    scaled = magnitude * powers_of_ten()[-h0];
  }
  if (scaled >= 10.0) {
    scaled = scaled / 10.0;
    d.exponent = h0 + 2;
  } else {
    d.exponent = h0 + 1;
  }

  // The scaled value is M x 2^-shift with shift >= 49, so the leading
  // digits are floor(M x 10^(n-1) / 2^shift), exactly, in 128 bits.
  const uint64_t scaled_bits = bits_of(scaled);
  const int32_t scaled_biased = static_cast<int32_t>((scaled_bits >> 52) & 0x7FF);
  const uint64_t mantissa = (scaled_bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
  const int32_t shift = 1075 - scaled_biased;
  const uint64_t unit = is_double ? 1'000'000'000'000'000ull : 10'000'000ull;
  __extension__ using Wide = unsigned __int128;
  const Wide product = static_cast<Wide>(mantissa) * unit;
  uint64_t leading = shift >= 128 ? 0 : static_cast<uint64_t>(product >> shift);
  for (int32_t i = d.generated - 1; i >= 0; --i) {
    d.digits[i] = static_cast<char>('0' + leading % 10);
    leading /= 10;
  }
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
