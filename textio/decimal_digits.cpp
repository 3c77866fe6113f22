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

constexpr std::array<uint64_t, 17> kIntegerPowers = [] {
  std::array<uint64_t, 17> t{};
  uint64_t p = 1;
  for (uint64_t& e : t) {
    e = p;
    p *= 10;
  }
  return t;
}();

// x / 10^k with a constant divisor per case, which the compiler turns into
// a multiplication; a rounding step costs no hardware division.
uint64_t divide_by_power(uint64_t x, int32_t k) {
  switch (k) {
    case 0:
      return x;
    case 1:
      return x / 10ull;
    case 2:
      return x / 100ull;
    case 3:
      return x / 1000ull;
    case 4:
      return x / 10000ull;
    case 5:
      return x / 100000ull;
    case 6:
      return x / 1000000ull;
    case 7:
      return x / 10000000ull;
    case 8:
      return x / 100000000ull;
    case 9:
      return x / 1000000000ull;
    case 10:
      return x / 10000000000ull;
    case 11:
      return x / 100000000000ull;
    case 12:
      return x / 1000000000000ull;
    case 13:
      return x / 10000000000000ull;
    case 14:
      return x / 100000000000000ull;
    case 15:
      return x / 1000000000000000ull;
    default:
      return x / 10000000000000000ull;
  }
}

// "00" .. "99".
constexpr std::array<char, 200> kDigitPairs = [] {
  std::array<char, 200> t{};
  for (int i = 0; i < 100; ++i) {
    t[2 * i] = static_cast<char>('0' + i / 10);
    t[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return t;
}();

// Exactly four digits of x < 10000.
void four_digits(uint32_t x, char* out) {
  std::memcpy(out, &kDigitPairs[2 * (x / 100)], 2);
  std::memcpy(out + 2, &kDigitPairs[2 * (x % 100)], 2);
}

// Exactly eight digits of x < 10^8.
void eight_digits(uint32_t x, char* out) {
  four_digits(x / 10000, out);
  four_digits(x % 10000, out + 4);
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

PackedDigits packed_digits(double value, bool is_double) {
  PackedDigits d;
  d.generated = is_double ? 16 : 8;
  const uint64_t bits = bits_of(value);
  d.negative = (bits >> 63) != 0;
  const int32_t biased = static_cast<int32_t>((bits >> 52) & 0x7FF);
  if (biased == 0x7FF) {
    const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
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
  // digits are floor(M x 10^(g-1) / 2^shift), exactly, in 128 bits.
  const uint64_t scaled_bits = bits_of(scaled);
  const int32_t scaled_biased = static_cast<int32_t>((scaled_bits >> 52) & 0x7FF);
  const uint64_t mantissa = (scaled_bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
  const int32_t shift = 1075 - scaled_biased;
  const uint64_t unit = is_double ? 1'000'000'000'000'000ull : 10'000'000ull;
  __extension__ using Wide = unsigned __int128;
  const Wide product = static_cast<Wide>(mantissa) * unit;
  d.value = shift >= 128 ? 0 : static_cast<uint64_t>(product >> shift);
  return d;
}

void round_packed(PackedDigits& d, int32_t m) {
  if (d.kind != DecimalDigits::kFinite || m <= -1) return;
  const int32_t g = d.generated;
  if (m < g) {
    // Digit m+1 decides; the first m digits are the quotient by 10^(g-m).
    const uint64_t tenths = divide_by_power(d.value, g - m - 1);
    const uint64_t kept = tenths / 10;
    if (tenths % 10 < 5) {
      d.value = kept * kIntegerPowers[g - m];
    } else if (kept + 1 == kIntegerPowers[m]) {
      d.value = kIntegerPowers[g - 1];  // all nines, or m = 0: '1' and zeros
      ++d.exponent;
    } else {
      d.value = (kept + 1) * kIntegerPowers[g - m];
    }
    return;
  }
  // The last generated digit rounds the ones before it and becomes '0'.
  if (d.value % 10 < 5) return;
  const uint64_t kept = d.value / 10 + 1;
  if (kept == kIntegerPowers[g - 1]) {
    d.value = kIntegerPowers[g - 1];
    ++d.exponent;
  } else {
    d.value = kept * 10;
  }
}

void write_generated(const PackedDigits& d, char* out) {
  if (d.generated == 8) {
    eight_digits(static_cast<uint32_t>(d.value), out);
  } else {
    eight_digits(static_cast<uint32_t>(d.value / 100000000), out);
    eight_digits(static_cast<uint32_t>(d.value % 100000000), out + 8);
  }
}

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
