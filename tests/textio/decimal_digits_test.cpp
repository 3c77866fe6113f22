// The digit algorithm and its rounding rule on the packed form the
// conversions use: golden rows, a long division written out again, and the
// string form of the reference.
#include "textio/decimal_digits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "textio/support/output_reference.h"

namespace textio {
namespace {

double from_bits64(uint64_t b) {
  double v;
  std::memcpy(&v, &b, 8);
  return v;
}
float from_bits32(uint32_t b) {
  float v;
  std::memcpy(&v, &b, 4);
  return v;
}
// The twenty positions of the digit string.
std::string digit_string(const PackedDigits& d) {
  std::string text(20, '0');
  if (d.kind == PackedDigits::kFinite) write_generated(d, text.data());
  return text;
}
std::string digit_string(const reference::DecimalDigits& d) {
  return std::string(d.digits, 20);
}

struct DigitsRow {
  uint64_t bits;  // a double's bits, or a float's in the low word when !is_double
  bool is_double;
  const char* digits;
  int32_t h;
  bool negative;
};

double value_of(const DigitsRow& row) {
  return row.is_double ? from_bits64(row.bits)
                       : static_cast<double>(from_bits32(static_cast<uint32_t>(row.bits)));
}

TEST(DecimalDigitsTest, GoldenValues) {
  const DigitsRow rows[] = {
      {0x3F800000, false, "10000000000000000000", 1, false},         // 1.0
      {0x3DFCD6EA, false, "12345679000000000000", 0, false},         // 0.123456789 (truncated)
      {0x3F7FFFFF, false, "99999994000000000000", 0, false},         // 0.99999994
      {0x47F1205A, false, "12345670000000000000", 6, false},         // 123456.7
      {0x3D4CCCCD, false, "50000000000000000000", -1, false},        // 0.05
      {0xBAA3D70A, false, "12499999000000000000", -2, true},         // -0.00125
      {0x42F6E979, false, "12345600000000000000", 3, false},         // 123.456
      {0x7F7FFFFF, false, "34028234000000000000", 39, false},        // largest float
      {0x00000001, false, "14012984000000000000", -44, false},       // smallest subnormal float
      {0x3FB999999999999A, true, "10000000000000000000", 0, false},  // 0.1
      {0x3FF0000000000000, true, "10000000000000000000", 1, false},  // 1.0
      // The scaling by 10^308 rounds, so the extremes differ from their
      // exact expansions (...8623157e308 and ...85072014e-308) in digit 16.
      {0x7FEFFFFFFFFFFFFF, true, "17976931348623140000", 309, false},
      {0x0010000000000000, true, "22250738585072020000", -307, false},
      // A power of two whose scaled value falls just short of one: the
      // algorithm keeps the leading zero.
      {uint64_t{146} << 52, true, "09924161033296100000", -263, false},
  };
  for (const DigitsRow& row : rows) {
    const PackedDigits d = packed_digits(value_of(row), row.is_double);
    SCOPED_TRACE(testing::Message() << std::hex << "bits 0x" << row.bits);
    EXPECT_EQ(d.kind, PackedDigits::kFinite);
    EXPECT_EQ(digit_string(d), row.digits);
    EXPECT_EQ(d.exponent, row.h);
    EXPECT_EQ(d.negative, row.negative);
  }
}

TEST(DecimalDigitsTest, ZerosAndSubnormalDoublesAreTwentyZeros) {
  for (uint64_t bits :
       {uint64_t{0}, uint64_t{1} << 63, uint64_t{1}, uint64_t{0x000FFFFFFFFFFFFF}}) {
    const PackedDigits d = packed_digits(from_bits64(bits), true);
    EXPECT_EQ(digit_string(d), std::string(20, '0')) << std::hex << bits;
    EXPECT_EQ(d.exponent, 0);
    EXPECT_EQ(d.negative, (bits >> 63) != 0);
  }
}

TEST(DecimalDigitsTest, NotFiniteKeepsItsSign) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(packed_digits(inf, false).kind, PackedDigits::kInfinity);
  EXPECT_FALSE(packed_digits(inf, false).negative);
  EXPECT_TRUE(packed_digits(-inf, true).negative);
  EXPECT_EQ(packed_digits(nan, false).kind, PackedDigits::kNaN);
  EXPECT_FALSE(packed_digits(nan, false).negative);
  EXPECT_TRUE(packed_digits(-nan, false).negative);
}

// Rounding rows: the digits before, generated count, m, digits and h change after.
struct RoundRow {
  const char* before;
  int32_t generated;
  int32_t m;
  const char* after;
  int32_t h_change;
};

TEST(DecimalDigitsTest, RoundingRule) {
  const RoundRow rows[] = {
      {"12345678", 8, 4, "12350000", 0},   // digit 5 rounds up
      {"12344999", 8, 4, "12340000", 0},   // digit 5 below five: cut
      {"99999994", 8, 6, "10000000", 1},   // carry through all nines
      {"99999994", 8, 7, "99999990", 0},   // digit 8 is 4
      {"50000000", 8, 0, "10000000", 1},   // m = 0 rounding up
      {"49999999", 8, 0, "00000000", 0},   // m = 0 rounding down
      {"12345679", 8, 8, "12345680", 0},   // last digit decides at m = 8
      {"12345679", 8, 15, "12345680", 0},  // and beyond
      {"12345674", 8, 15, "12345674", 0},  // last digit below five
      {"99999995", 8, 10, "10000000", 1},  // carry from the last digit
      {"12345678", 8, -1, "12345678", 0},  // no rounding
      {"12345678", 8, -5, "12345678", 0},
      {"1234567890123456", 16, 15, "1234567890123460", 0},
      {"1234567890123455", 16, 16, "1234567890123460", 0},
      {"9999999999999999", 16, 40, "1000000000000000", 1},
      {"1234567890123454", 16, 20, "1234567890123454", 0},
  };
  for (const RoundRow& row : rows) {
    PackedDigits d;
    d.generated = row.generated;
    d.value = std::stoull(row.before);
    d.exponent = 3;
    round_packed(d, row.m);
    std::string expected(row.after);
    expected.resize(20, '0');
    EXPECT_EQ(digit_string(d), expected) << row.before << " m=" << row.m;
    EXPECT_EQ(d.exponent, 3 + row.h_change) << row.before << " m=" << row.m;
  }
}

TEST(DecimalDigitsTest, RoundingLeavesNotFiniteAlone) {
  PackedDigits d = packed_digits(std::numeric_limits<double>::quiet_NaN(), false);
  round_packed(d, 3);
  EXPECT_EQ(d.kind, PackedDigits::kNaN);
  EXPECT_EQ(d.value, 0u);
}

// The packed rounding against the string form's, for every m, on digit
// strings of random values and on the nines that carry.
TEST(DecimalDigitsTest, RoundingAgreesWithTheStringForm) {
  std::mt19937_64 random(20261209);
  for (int i = 0; i < 4000; ++i) {
    const bool is_double = i % 2 == 1;
    const double value =
        i < 40      ? (1.0 - std::ldexp(1.0, -(i / 2 + 1)))
        : is_double ? from_bits64(random() >> 2)
                    : static_cast<double>(from_bits32(static_cast<uint32_t>(random() >> 34)));
    for (int32_t m = -2; m <= 19; ++m) {
      PackedDigits packed = packed_digits(value, is_double);
      reference::DecimalDigits string_form = reference::decimal_digits(value, is_double);
      round_packed(packed, m);
      reference::round_digits(string_form, m);
      ASSERT_EQ(digit_string(packed), digit_string(string_form)) << value << " m " << m;
      ASSERT_EQ(packed.exponent, string_form.exponent) << value << " m " << m;
    }
  }
}

// Against the long division, and against the string form of the reference.
void check_against_reference(double value, bool is_double, uint64_t bits) {
  const PackedDigits d = packed_digits(value, is_double);
  const reference::LongDivision r = reference::long_division_digits(value, is_double);
  ASSERT_EQ(digit_string(d), r.digits) << std::hex << "bits 0x" << bits;
  ASSERT_EQ(d.exponent, r.h) << std::hex << "bits 0x" << bits;
  const reference::DecimalDigits string_form = reference::decimal_digits(value, is_double);
  ASSERT_EQ(digit_string(string_form), r.digits) << std::hex << "bits 0x" << bits;
  ASSERT_EQ(string_form.exponent, r.h) << std::hex << "bits 0x" << bits;
}

TEST(DecimalDigitsTest, SampledFloatsMatchTheReference) {
  std::mt19937 random(20261208);
  for (int i = 0; i < 200000; ++i) {
    const uint32_t bits = static_cast<uint32_t>(random());
    const float f = from_bits32(bits);
    if (!std::isfinite(f)) continue;
    const double v = static_cast<double>(f);
    check_against_reference(v, false, bits);
    const PackedDigits d = packed_digits(v, false);
    if (v == 0) continue;
    // 0.D1..D8 x 10^h truncates |v| to eight digits.
    const auto shown = static_cast<double>(d.value);
    const double unit = std::pow(10.0, d.exponent - 8);
    const double magnitude = std::fabs(v);
    ASSERT_LE(shown * unit, magnitude * (1 + 1e-12)) << std::hex << bits;
    ASSERT_GT((shown + 1.001) * unit, magnitude) << std::hex << bits;
  }
}

TEST(DecimalDigitsTest, SampledDoublesMatchTheReference) {
  std::mt19937_64 random(8122026);
  for (int i = 0; i < 200000; ++i) {
    const uint64_t bits = random();
    const double v = from_bits64(bits);
    if (!std::isfinite(v)) continue;
    check_against_reference(v, true, bits);
  }
}

TEST(DecimalDigitsTest, EveryBinaryExponentOfDoubles) {
  for (uint64_t e = 1; e < 2047; ++e) {
    for (uint64_t fraction : {uint64_t{0}, uint64_t{1}, (uint64_t{1} << 52) - 1}) {
      const uint64_t bits = (e << 52) | fraction;
      check_against_reference(from_bits64(bits), true, bits);
      check_against_reference(from_bits64(bits), false, bits);
    }
  }
}

}  // namespace
}  // namespace textio
