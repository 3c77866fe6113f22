// The run-time's own decimal digit algorithm for real values: a sign, a
// digit string and a decimal exponent h, the value reading 0.D1D2... x 10^h.
// The digits come from one scaling by a power of ten and exact truncation of
// the scaled double, not from the C library, so the text of every number is
// the same on every platform. Layout is elsewhere (edit_output.h).
#pragma once

#include <cstdint>
#include <cstring>

namespace textio {

// The digit string held as one integer: the generated digits D1..Dg are the
// decimal digits of `value` (zero-padded on the left to g); every later
// position is '0'.
struct PackedDigits {
  enum Kind : uint8_t { kFinite, kNaN, kInfinity };

  Kind kind = kFinite;
  bool negative = false;  // the sign bit, so -0.0 and -NaN are negative
  int32_t exponent = 0;   // h
  int32_t generated = 8;  // g, digits read off the value: 8 (4-byte) or 16 (8-byte)
  uint64_t value = 0;     // below 10^g
};

namespace digits_detail {

// Powers of ten for the scaling, as the run-time's own powering rounds them
// (dpow); index 0..308.
const double* make_scale_powers();
inline const double* scale_powers() {
  static const double* const table = make_scale_powers();
  return table;
}

inline constexpr uint64_t kIntegerPowers[17] = {1ull,
                                                10ull,
                                                100ull,
                                                1000ull,
                                                10000ull,
                                                100000ull,
                                                1000000ull,
                                                10000000ull,
                                                100000000ull,
                                                1000000000ull,
                                                10000000000ull,
                                                100000000000ull,
                                                1000000000000ull,
                                                10000000000000ull,
                                                100000000000000ull,
                                                1000000000000000ull,
                                                10000000000000000ull};

// x / 10^k for x < 2^54 (every digit string fits) without a hardware
// division: x times ceil(2^(54+l) / 10^k), l = ceil(log2 10^k), shifted
// right by 54 + l, is exactly the quotient for every x below 2^54.
struct PowerDivisors {
  uint64_t magic[17];
  int32_t shift[17];
  constexpr PowerDivisors() : magic(), shift() {
    __extension__ using Wide = unsigned __int128;
    for (int32_t k = 0; k <= 16; ++k) {
      const uint64_t divisor = kIntegerPowers[k];
      int32_t l = 0;
      while ((uint64_t{1} << l) < divisor) ++l;
      const Wide numerator = Wide{1} << (54 + l);
      magic[k] = static_cast<uint64_t>((numerator + divisor - 1) / divisor);
      shift[k] = 54 + l;
    }
  }
};
inline constexpr PowerDivisors kPowerDivisors{};

inline uint64_t divide_by_power(uint64_t x, int32_t k) {
  __extension__ using Wide = unsigned __int128;
  return static_cast<uint64_t>((Wide{x} * kPowerDivisors.magic[k]) >> kPowerDivisors.shift[k]);
}

// "00" .. "99".
struct DigitPairs {
  char text[200];
  constexpr DigitPairs() : text() {
    for (int i = 0; i < 100; ++i) {
      text[2 * i] = static_cast<char>('0' + i / 10);
      text[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
  }
};
inline constexpr DigitPairs kDigitPairs{};

// Exactly eight digits of x < 10^8.
inline void eight_digits(uint32_t x, char* out) {
  const uint32_t high = x / 10000;
  const uint32_t low = x % 10000;
  std::memcpy(out, &kDigitPairs.text[2 * (high / 100)], 2);
  std::memcpy(out + 2, &kDigitPairs.text[2 * (high % 100)], 2);
  std::memcpy(out + 4, &kDigitPairs.text[2 * (low / 100)], 2);
  std::memcpy(out + 6, &kDigitPairs.text[2 * (low % 100)], 2);
}

}  // namespace digits_detail

// The conversions call these once or more per value, so they are inline.

// Digits of `value`, which is a widened 4-byte real unless `is_double`.
// Zero, and an 8-byte value with a biased exponent of 0, give the digits
// zero and h = 0.
[[gnu::always_inline]] inline PackedDigits packed_digits(double value, bool is_double) {
  PackedDigits d;
  d.generated = is_double ? 16 : 8;
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  d.negative = (bits >> 63) != 0;
  const int32_t biased = static_cast<int32_t>((bits >> 52) & 0x7FF);
  if (biased == 0x7FF) {
    const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    d.kind = fraction != 0 ? PackedDigits::kNaN : PackedDigits::kInfinity;
    return d;
  }
  if (biased == 0) return d;  // zero, or a subnormal 8-byte value: shown as zero

  const double magnitude = value < 0 ? -value : value;
  // floor((E x 19728 - 20181744) / 65536); the shift rounds down.
  const int32_t h0 = (biased * 19728 - 20181744) >> 16;
  double scaled = magnitude;
  if (h0 > 0) {
    scaled = magnitude / digits_detail::scale_powers()[h0];
  } else if (h0 < 0) {
    scaled = magnitude * digits_detail::scale_powers()[-h0];
  }
  // Selected rather than branched on: whether the estimate h0 falls one
  // short depends on the mantissa, so a branch would be mispredicted often.
  const bool once_more = scaled >= 10.0;
  const double divided = scaled / 10.0;
  scaled = once_more ? divided : scaled;
  d.exponent = h0 + 1 + (once_more ? 1 : 0);

  // The scaled value is M x 2^-shift with shift >= 49, so the leading
  // digits are floor(M x 10^(g-1) / 2^shift), exactly, in 128 bits.
  uint64_t scaled_bits;
  std::memcpy(&scaled_bits, &scaled, sizeof scaled_bits);
  const int32_t scaled_biased = static_cast<int32_t>((scaled_bits >> 52) & 0x7FF);
  const uint64_t mantissa = (scaled_bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
  const int32_t shift = 1075 - scaled_biased;
  const uint64_t unit = is_double ? 1'000'000'000'000'000ull : 10'000'000ull;
  __extension__ using Wide = unsigned __int128;
  const Wide product = static_cast<Wide>(mantissa) * unit;
  d.value = shift >= 128 ? 0 : static_cast<uint64_t>(product >> shift);
  return d;
}

// packed_digits of a widened 4-byte real from integer arithmetic on its bits
// alone, for zero and 1e-4 <= |value| < 10, the magnitudes result files are
// mostly made of: there every scaling by a power of ten above is exact, so
// the digits are floor(|value| x 10^(8-h)) with 10^(h-1) <= |value| < 10^h.
// False for any other value (d is then unspecified).
[[gnu::always_inline]] inline bool packed_digits_exact(float value, PackedDigits& d) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  d.kind = PackedDigits::kFinite;
  d.negative = (bits >> 31) != 0;
  d.generated = 8;
  d.exponent = 0;
  d.value = 0;
  if ((bits & 0x7FFFFFFFu) == 0) return true;
  const uint32_t biased = (bits >> 23) & 0xFFu;
  if (biased < 113 || biased > 130) return false;  // below 2^-14 or from 16 on
  const uint64_t mantissa = (bits & 0x7FFFFFu) | 0x800000u;
  // floor(|value| x 10^11): mantissa x 10^11 < 2^61, shift 20 to 37.
  const uint64_t q = (mantissa * 100'000'000'000ull) >> (150 - biased);
  if (q >= 1'000'000'000'000ull || q < 10'000'000ull) return false;
  int32_t h = -3;
  uint64_t digits = q;
  if (q >= 100'000'000'000ull) {
    h = 1;
    digits = q / 10'000;
  } else if (q >= 10'000'000'000ull) {
    h = 0;
    digits = q / 1'000;
  } else if (q >= 1'000'000'000ull) {
    h = -1;
    digits = q / 100;
  } else if (q >= 100'000'000ull) {
    h = -2;
    digits = q / 10;
  }
  d.exponent = h;
  d.value = digits;
  return true;
}

// Keeps `m` significant digits. Below the generated count, digit m+1 rounds
// half up; from the generated count on, the last generated digit rounds the
// ones before it and becomes '0'. A carry out of the first digit (or
// rounding up with m = 0) leaves '1' and zeros and raises h. m <= -1 keeps
// everything. Not-finite values are left alone.
[[gnu::always_inline]] inline void round_packed(PackedDigits& d, int32_t m) {
  using digits_detail::kIntegerPowers;
  if (d.kind != PackedDigits::kFinite || m <= -1) return;
  const int32_t g = d.generated;
  // The rounding digit is as good as random, so the rounding is selected,
  // not branched on; only the rare carry out of the first digit branches.
  if (m < g) {
    // Digit m+1 decides; the first m digits are the quotient by 10^(g-m).
    const uint64_t tenths = digits_detail::divide_by_power(d.value, g - m - 1);
    const uint64_t kept = tenths / 10 + (tenths % 10 >= 5 ? 1 : 0);
    if (kept == kIntegerPowers[m]) {
      d.value = kIntegerPowers[g - 1];  // all nines, or m = 0: '1' and zeros
      ++d.exponent;
    } else {
      d.value = kept * kIntegerPowers[g - m];
    }
    return;
  }
  // The last generated digit rounds the ones before it and becomes '0';
  // below 5 everything stays, that digit too.
  const bool up = d.value % 10 >= 5;
  const uint64_t kept = d.value / 10 + 1;
  if (up && kept == kIntegerPowers[g - 1]) {
    d.value = kIntegerPowers[g - 1];
    ++d.exponent;
  } else {
    d.value = up ? kept * 10 : d.value;
  }
}

// Whether round_packed(d, m) would carry out of the first digit (and so
// raise h), without rounding: the digits from the first to the deciding
// one are all nines, then 5 or more, exactly when the digit string reaches
// 10^g - 5 x 10^(g-m-1) (10^g - 5 from the generated count on).
[[gnu::always_inline]] inline bool rounding_carries(const PackedDigits& d, int32_t m) {
  using digits_detail::kIntegerPowers;
  if (d.kind != PackedDigits::kFinite || m <= -1) return false;
  const int32_t g = d.generated;
  const uint64_t step = m < g ? kIntegerPowers[g - m - 1] : 1;
  return d.value >= kIntegerPowers[g] - 5 * step;
}

// Writes the g generated digits at `out`.
[[gnu::always_inline]] inline void write_generated(const PackedDigits& d, char* out) {
  if (d.generated == 8) {
    digits_detail::eight_digits(static_cast<uint32_t>(d.value), out);
  } else {
    digits_detail::eight_digits(static_cast<uint32_t>(d.value / 100000000), out);
    digits_detail::eight_digits(static_cast<uint32_t>(d.value % 100000000), out + 8);
  }
}

}  // namespace textio
