// The output conversions against the plain ones they replaced: byte for
// byte on a sampled sweep of 4-byte patterns, on the values where digits,
// rounding and layout change over, and on 8-byte values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "support/output_reference.h"
#include "textio/decimal_digits.h"
#include "textio/edit_output.h"
#include "textio/record_buffer.h"

namespace textio {
namespace {

float from_bits(uint32_t bits) {
  float v;
  std::memcpy(&v, &bits, 4);
  return v;
}
uint32_t bits_of(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  return bits;
}

struct Edit {
  const char* name;
  char code;  // 'L' list-directed, 'F', 'E'
  int32_t w, d;
};

// The fields the analysis program writes reals with.
constexpr Edit kEdits[] = {
    {"list", 'L', 0, 0},     {"F9.4", 'F', 9, 4},   {"F12.2", 'F', 12, 2}, {"F12.3", 'F', 12, 3},
    {"F25.15", 'F', 25, 15}, {"E12.4", 'E', 12, 4}, {"E15.7", 'E', 15, 7}, {"E21.8", 'E', 21, 8},
};

std::string fast_text(const Edit& edit, double value, bool is_double) {
  RecordBuffer out;
  if (edit.code == 'L') {
    is_double ? list_double(out, value) : list_real(out, static_cast<float>(value));
  } else if (edit.code == 'F') {
    edit_fixed(out, value, is_double, edit.w, edit.d);
  } else {
    edit_exponent(out, value, is_double, edit.w, edit.d, 0);
  }
  return std::string(out.text());
}

std::string plain_text(const Edit& edit, double value, bool is_double) {
  RecordBuffer out;
  if (edit.code == 'L') {
    is_double ? reference::list_double(out, value)
              : reference::list_real(out, static_cast<float>(value));
  } else if (edit.code == 'F') {
    reference::edit_fixed(out, value, is_double, edit.w, edit.d);
  } else {
    reference::edit_exponent(out, value, is_double, edit.w, edit.d, 0);
  }
  return std::string(out.text());
}

// Compares every edit on one 4-byte pattern; false after the first mismatch.
bool same_for_float(uint32_t bits) {
  const double value = from_bits(bits);
  for (const Edit& edit : kEdits) {
    const std::string fast = fast_text(edit, value, false);
    const std::string plain = plain_text(edit, value, false);
    if (fast != plain) {
      ADD_FAILURE() << edit.name << " of bits 0x" << std::hex << bits << ": fast [" << fast
                    << "] plain [" << plain << "]";
      return false;
    }
  }
  // The same list item converted outside a record, for another thread.
  char text[kListRealRoom];
  const std::string plain = plain_text(kEdits[0], value, false);
  const size_t length = list_real_text(from_bits(bits), text);
  if (std::string(text, length) != plain) {
    ADD_FAILURE() << "list_real_text of bits 0x" << std::hex << bits << ": ["
                  << std::string(text, length) << "]";
    return false;
  }
  return true;
}

bool same_for_double(double value) {
  for (const Edit& edit : kEdits) {
    const std::string fast = fast_text(edit, value, true);
    const std::string plain = plain_text(edit, value, true);
    if (fast != plain) {
      ADD_FAILURE() << edit.name << " of double " << value << ": fast [" << fast << "] plain ["
                    << plain << "]";
      return false;
    }
  }
  return true;
}

// Patterns a few units in the last place either side of `center`, both signs.
std::vector<uint32_t> around(float center, int32_t spread) {
  std::vector<uint32_t> patterns;
  const uint32_t bits = bits_of(std::fabs(center));
  for (int32_t k = -spread; k <= spread; ++k) {
    const uint32_t b = bits + static_cast<uint32_t>(k);
    patterns.push_back(b);
    patterns.push_back(b ^ 0x80000000u);
  }
  return patterns;
}

// Where the decimal exponent, the seven-digit rounding of the list layout or
// the decimals of the F fields change over.
std::vector<uint32_t> boundary_patterns() {
  std::vector<uint32_t> patterns;
  for (int32_t k = -46; k <= 39; ++k) {
    const double ten = std::pow(10.0, k);
    for (const double factor : {1.0, 0.5, 0.95, 0.995, 0.9995, 0.99995, 0.999995, 0.9999995,
                                0.99999995, 0.999999995, 0.25, 0.125, 0.75}) {
      const float center = static_cast<float>(ten * factor);
      if (std::isfinite(center) && center != 0.0f) {
        for (const uint32_t b : around(center, 8)) patterns.push_back(b);
      }
    }
  }
  return patterns;
}

// The division by powers of ten that the rounding uses, at the ends of
// every quotient and at random.
TEST(FastOutputTest, DivisionByPowersOfTen) {
  std::mt19937_64 random(3);
  constexpr uint64_t kLimit = uint64_t{1} << 54;
  for (int32_t k = 0; k <= 16; ++k) {
    const uint64_t p = digits_detail::kIntegerPowers[k];
    for (uint64_t q = 0; q * p < kLimit && q < 3000; ++q) {
      for (const uint64_t x : {q * p, q * p + p - 1}) {
        if (x < kLimit) {
          ASSERT_EQ(digits_detail::divide_by_power(x, k), x / p) << x << " " << k;
        }
      }
    }
    for (int i = 0; i < 20000; ++i) {
      const uint64_t x = random() % kLimit;
      ASSERT_EQ(digits_detail::divide_by_power(x, k), x / p) << x << " " << k;
    }
    ASSERT_EQ(digits_detail::divide_by_power(kLimit - 1, k), (kLimit - 1) / p);
  }
}

// The carry test agrees with rounding itself, for every m, near the
// strings that carry and at random.
TEST(FastOutputTest, CarryTestAgreesWithRounding) {
  std::mt19937_64 random(13);
  for (const bool is_double : {false, true}) {
    const int32_t g = is_double ? 16 : 8;
    const uint64_t top = digits_detail::kIntegerPowers[g];
    std::vector<uint64_t> strings;
    for (int32_t k = 0; k <= g; ++k) {
      const uint64_t edge = top - 5 * digits_detail::kIntegerPowers[k > 0 ? k - 1 : 0];
      for (int64_t delta = -3; delta <= 3; ++delta) strings.push_back(edge + delta);
    }
    for (int i = 0; i < 2000; ++i) strings.push_back(random() % top);
    for (uint64_t value : strings) {
      if (value >= top) continue;
      for (int32_t m = -2; m <= g + 3; ++m) {
        PackedDigits d;
        d.generated = g;
        d.value = value;
        d.exponent = 3;
        const bool predicted = rounding_carries(d, m);
        round_packed(d, m);
        ASSERT_EQ(predicted, d.exponent == 4) << value << " m " << m << " g " << g;
      }
    }
  }
}

TEST(FastOutputTest, SpecialValues) {
  const float inf = std::numeric_limits<float>::infinity();
  const float specials[] = {0.0f,
                            -0.0f,
                            inf,
                            -inf,
                            std::numeric_limits<float>::quiet_NaN(),
                            -std::numeric_limits<float>::quiet_NaN(),
                            from_bits(0x7F800001u),
                            from_bits(0xFFFFFFFFu),
                            std::numeric_limits<float>::denorm_min(),
                            -std::numeric_limits<float>::denorm_min(),
                            from_bits(0x007FFFFFu),
                            std::numeric_limits<float>::min(),
                            std::numeric_limits<float>::max(),
                            -std::numeric_limits<float>::max(),
                            1.0f,
                            -1.0f,
                            0.5f,
                            0.05f,
                            0.00004f,
                            -0.00004f,
                            0.00005f,
                            0.00006f,
                            99.996f,
                            999999.5f,
                            9999999.0f,
                            123456.7f,
                            1234567.0f,
                            -0.00125f,
                            0.123456789f};
  for (const float v : specials) EXPECT_TRUE(same_for_float(bits_of(v))) << v;
  const double dinf = std::numeric_limits<double>::infinity();
  for (const double v :
       {0.0, -0.0, dinf, -dinf, std::numeric_limits<double>::quiet_NaN(),
        std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::min(),
        std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(), 1e100, 1e-100,
        9.9999999999999995, 0.99999999999999994, 1e15, 999999999999999.5}) {
    EXPECT_TRUE(same_for_double(v)) << v;
  }
}

TEST(FastOutputTest, BoundaryPatterns) {
  const std::vector<uint32_t> patterns = boundary_patterns();
  for (const uint32_t bits : patterns) {
    if (!same_for_float(bits)) return;
  }
}

// More than two million patterns: every 2039th over the whole 32-bit range,
// so every exponent, sign and class of the 4-byte format is visited.
TEST(FastOutputTest, SampledFloatSweep) {
  constexpr uint32_t kStride = 2039;
  uint64_t count = 0;
  for (uint64_t bits = 7; bits <= 0xFFFFFFFFull; bits += kStride, ++count) {
    if (!same_for_float(static_cast<uint32_t>(bits))) return;
  }
  EXPECT_GE(count, 2'000'000u);
}

// Random 8-byte values over the whole exponent range, and 8-byte values
// of 4-byte ones (the listings print widened reals so).
TEST(FastOutputTest, DoubleValues) {
  std::mt19937_64 random(11);
  for (int i = 0; i < 200000; ++i) {
    uint64_t bits = random();
    double v;
    std::memcpy(&v, &bits, 8);
    if (!same_for_double(v)) return;
  }
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  for (int i = 0; i < 200000; ++i) {
    const double v = unit(random) * std::pow(10.0, static_cast<int>(random() % 30) - 15);
    if (!same_for_double(v)) return;
  }
}

// Fields far wider or narrower than their value, odd d and e.
TEST(FastOutputTest, UnusualFields) {
  std::mt19937 random(5);
  for (int i = 0; i < 20000; ++i) {
    const float v = from_bits(static_cast<uint32_t>(random()));
    for (const int32_t w : {0, 1, 2, 3, 4, 7, 30, 60}) {
      for (const int32_t d : {-1, 0, 1, 3, 9, 25, 40}) {
        RecordBuffer fast, plain;
        edit_fixed(fast, v, false, w, d);
        reference::edit_fixed(plain, v, false, w, d);
        ASSERT_EQ(fast.text(), plain.text()) << "F" << w << "." << d << " of " << v;
        for (const int32_t e : {0, 1, 3}) {
          RecordBuffer fe, pe;
          edit_exponent(fe, v, i % 2 == 1, w, d, e);
          reference::edit_exponent(pe, v, i % 2 == 1, w, d, e);
          ASSERT_EQ(fe.text(), pe.text()) << "E" << w << "." << d << "E" << e << " of " << v;
        }
      }
    }
  }
}

// After a move to the right the gap is blanked, and a field that writes
// nothing does not lengthen the record.
TEST(FastOutputTest, PositionsAfterMoves) {
  for (const float v : {1.5f, -0.25f, 12345.6f}) {
    RecordBuffer fast, plain;
    fast.put("AB");
    plain.put("AB");
    fast.move_right(3);
    plain.move_right(3);
    list_real(fast, v);
    reference::list_real(plain, v);
    fast.move_right(2);
    plain.move_right(2);
    edit_fixed(fast, v, false, 9, 4);
    reference::edit_fixed(plain, v, false, 9, 4);
    fast.move_right(4);
    plain.move_right(4);
    edit_fixed(fast, v, false, 0, 2);  // asterisks of width 0: nothing
    reference::edit_fixed(plain, v, false, 0, 2);
    EXPECT_EQ(fast.text(), plain.text());
    EXPECT_EQ(fast.position(), plain.position());
  }
}

// The digits read off exactly, densely where they are taken (every
// pattern there agrees; checked once over all of them), and blocks of
// items converted back to back.
TEST(FastOutputTest, ExactDigitsAndBlocksOfItems) {
  uint64_t exact = 0;
  std::vector<float> block;
  for (uint64_t bits = 0; bits <= 0xFFFFFFFFull; bits += 211) {
    const float v = from_bits(static_cast<uint32_t>(bits));
    PackedDigits d;
    if (!packed_digits_exact(v, d)) continue;
    ++exact;
    const PackedDigits p = packed_digits(v, false);
    ASSERT_TRUE(p.value == d.value && p.exponent == d.exponent && p.negative == d.negative &&
                p.kind == d.kind && p.generated == d.generated)
        << std::hex << bits;
    if (exact % 512 == 0) block.push_back(v);
  }
  EXPECT_GE(exact, 1'000'000u);  // zero and 1e-4 <= |v| < 10
  for (const uint32_t bits : boundary_patterns()) block.push_back(from_bits(bits));
  std::vector<char> text(block.size() * kListRealRoom);
  RecordBuffer plain;
  for (const float v : block) reference::list_real(plain, v);
  EXPECT_EQ(std::string_view(text.data(), list_reals_text(block.data(), block.size(), text.data())),
            plain.text());
}

// Every 4-byte pattern: opt in with TOVA_FULL_SWEEP=1 (minutes).
TEST(FastOutputTest, FullFloatSweep) {
  const char* flag = std::getenv("TOVA_FULL_SWEEP");
  if (flag == nullptr || std::string(flag) != "1") GTEST_SKIP() << "set TOVA_FULL_SWEEP=1";
  uint32_t bits = 0;
  do {
    if (!same_for_float(bits)) return;
    bits += 1;
  } while (bits != 0);
}

}  // namespace
}  // namespace textio
