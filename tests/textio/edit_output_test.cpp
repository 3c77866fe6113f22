#include "textio/edit_output.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace textio {
namespace {

float float_of(uint32_t bits) {
  float v;
  std::memcpy(&v, &bits, 4);
  return v;
}
double double_of(uint64_t bits) {
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

struct Descriptor {
  char letter = 0;  // 'F', 'E', or 'L' for list-directed
  int32_t w = 0;
  int32_t d = 0;
  int32_t e = 0;
};

// "F9.4", "E12.4E3" or "list".
Descriptor parse_descriptor(const std::string& text) {
  Descriptor desc;
  if (text == "list") {
    desc.letter = 'L';
    return desc;
  }
  desc.letter = text[0];
  char* end = nullptr;
  desc.w = static_cast<int32_t>(std::strtol(text.c_str() + 1, &end, 10));
  if (*end == '.') desc.d = static_cast<int32_t>(std::strtol(end + 1, &end, 10));
  if (*end == 'E') desc.e = static_cast<int32_t>(std::strtol(end + 1, &end, 10));
  return desc;
}

// The field followed by ';' so trailing blanks show in a failure.
std::string convert(const std::string& descriptor, double value, bool is_double) {
  const Descriptor desc = parse_descriptor(descriptor);
  RecordBuffer out;
  switch (desc.letter) {
    case 'F':
      edit_fixed(out, value, is_double, desc.w, desc.d);
      break;
    case 'E':
      edit_exponent(out, value, is_double, desc.w, desc.d, desc.e);
      break;
    default:
      if (is_double) {
        list_double(out, value);
      } else {
        list_real(out, static_cast<float>(value));
      }
      break;
  }
  return std::string(out.text()) + ";";
}

struct RealRow {
  const char* descriptor;
  uint32_t bits;  // the 4-byte real
  const char* expected;
};

void check_rows(const RealRow* rows, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const RealRow& row = rows[i];
    EXPECT_EQ(convert(row.descriptor, static_cast<double>(float_of(row.bits)), false), row.expected)
        << row.descriptor << " of bits 0x" << std::hex << row.bits << " (" << float_of(row.bits)
        << ")";
  }
}

TEST(EditOutputTest, FixedPoint) {
  const RealRow rows[] = {
      {"F9.4", 0x3DFCB924, "    .1234;"},  // 0.1234: no leading zero
      {"F9.4", 0xBDFCB924, "   -.1234;"},
      {"F9.4", 0x00000000, "    .0000;"},  // exactly zero
      {"F9.4", 0x80000000, "   -.0000;"},  // -0.0 keeps its sign
      {"F9.4", 0x3827C5AC, "   0.0000;"},  // 0.00004 rounds to zero: a zero, no sign
      {"F9.4", 0xB827C5AC, "   0.0000;"},  // -0.00004 likewise
      {"F9.4", 0x387BA882, "    .0001;"},  // 0.00006 rounds up into the field
      {"F9.4", 0x3FC00000, "   1.5000;"},
      {"F9.4", 0xBFC00000, "  -1.5000;"},
      {"F9.4", 0x3F800000, "   1.0000;"},
      {"F9.4", 0x3F000000, "    .5000;"},
      {"F9.4", 0x4640E666, "*********;"},  // 12345.6 needs five integer digits
      {"F9.3", 0x411FFF97, "   10.000;"},  // 9.9999 carries into a new digit
      {"F12.2", 0x4236B646, "       45.68;"},
      {"F5.2", 0x42C7FDF4, "*****;"},  // 99.996 carries into a third integer digit
      {"F6.2", 0x42C7FDF4, "100.00;"},
      {"F6.4", 0xBF000000, "-.5000;"},  // the sign takes the last free column
      {"F5.4", 0xBF000000, "*****;"},
      {"F4.4", 0x3F000000, "****;"},
      {"F6.4", 0xBFC00000, "******;"},
      {"F25.15", 0x3DFCD6EA, "         .123456800000000;"},  // seven digits, then the 8th or 0
      {"F25.15", 0x34BDC8AC, "         .000000353500010;"},
      {"F25.15", 0x3EB4FDF4, "         .353500000000000;"},
      {"F25.15", 0x3E34FDF4, "         .176750000000000;"},
      {"F50.2", 0x7F7FFFFF, "        340282340000000000000000000000000000000.00;"},
      // d = 0 and a value below one: a zero and the point, no sign.
      {"F5.0", 0x3E99999A, "   0.;"},
      {"F5.0", 0xBE99999A, "   0.;"},
      {"F2.0", 0x3E99999A, "0.;"},
      {"F1.0", 0x3E99999A, ".;"},
      {"F5.0", 0xBF333333, "  -1.;"},  // -0.7 rounds to -1
      {"F5.0", 0x00000000, "   0.;"},
      {"F5.4", 0x3827C5AC, ".0000;"},  // rounds to zero with no room for the 0
      {"F9.4", 0x7FC00000, "      NaN;"},
      {"F9.4", 0xFFC00000, "     -NaN;"},
      {"F9.4", 0x7F800000, "      INF;"},
      {"F9.4", 0xFF800000, "     -INF;"},
      {"F3.1", 0x7FC00000, "NaN;"},
      {"F2.1", 0x7FC00000, "**;"},
      {"F3.1", 0xFF800000, "***;"},
      {"F4.1", 0xFF800000, "-INF;"},
  };
  check_rows(rows, std::size(rows));
}

TEST(EditOutputTest, Exponent) {
  const RealRow rows[] = {
      {"E15.7", 0x42F6E979, "  0.1234560E+03;"},  // 123.456
      {"E15.7", 0xC2F6E979, " -0.1234560E+03;"},
      {"E15.7", 0x00000000, "  0.0000000E+00;"},
      {"E15.7", 0x80000000, " -0.0000000E+00;"},
      {"E12.4", 0x3AA137F4, "  0.1230E-02;"},  // 0.00123
      {"E21.8", 0x41480000, "       0.12500000E+02;"},
      {"E21.8", 0x40000000, "       0.20000000E+01;"},
      {"E12.4", 0x3FC00000, "  0.1500E+01;"},
      {"E12.4", 0x3F000000, "  0.5000E+00;"},
      {"E12.4", 0x411FFF97, "  0.1000E+02;"},  // 9.9999 carries into the exponent
      {"E12.4", 0x000116C2, "  0.1000E-39;"},  // a subnormal 4-byte value
      {"E9.4", 0x3FC00000, ".1500E+01;"},      // no room for the leading zero
      {"E8.4", 0x3FC00000, "********;"},
      {"E10.4", 0xBFC00000, "-.1500E+01;"},
      {"E9.4", 0xBFC00000, "*********;"},
      {"E12.4E1", 0x3FC00000, "   0.1500E+1;"},
      {"E12.4E1", 0x501502F9, "************;"},  // 1e10: two exponent digits do not fit
      {"E13.4E3", 0x3FC00000, "  0.1500E+001;"},
      {"E12.4", 0x7FC00000, "         NaN;"},
      {"E12.4", 0xFF800000, "        -INF;"},
      {"E3.1", 0xFF800000, "***;"},
  };
  check_rows(rows, std::size(rows));
}

struct DoubleRow {
  const char* descriptor;
  uint64_t bits;
  const char* expected;
};

TEST(EditOutputTest, EightByteReals) {
  const DoubleRow rows[] = {
      {"F20.17", 0x3FB999999999999A, "  .10000000000000000;"},  // sixteen digits, then zeros
      {"F20.15", 0x3FF0000000000000, "   1.000000000000000;"},
      {"E12.4", 0x54B249AD2594C37D, "  0.1000+101;"},  // a third digit replaces the letter
      {"E12.4", 0x2B2BFF2EE48E0530, "  0.1000E-99;"},
      {"E12.4", 0x2AF665BF1D3E6A8D, "  0.1000-100;"},
      {"E13.4E3", 0x54B249AD2594C37D, "  0.1000E+101;"},
      {"E12.4", 0x0000000000000001, "  0.0000E+00;"},  // a subnormal 8-byte value reads as zero
      {"list", 0x3FB999999999999A, "  .10000000000000;"},
      {"list", 0x4415AF1D78B58C40, "  1.00000000000000E+20;"},
      {"list", 0x54B249AD2594C37D, "  1.00000000000000E+100;"},
      {"list", 0xBFF8000000000000, " -1.5000000000000;"},
  };
  for (const DoubleRow& row : rows) {
    EXPECT_EQ(convert(row.descriptor, double_of(row.bits), true), row.expected)
        << row.descriptor << " of bits 0x" << std::hex << row.bits;
  }
}

TEST(EditOutputTest, ListDirectedReals) {
  const RealRow rows[] = {
      {"list", 0x3F800000, "  1.00000;"},
      {"list", 0x42F6E979, "  123.456;"},
      {"list", 0x3F000000, "  .500000;"},
      {"list", 0xBF000000, " -.500000;"},
      {"list", 0x00000000, "  .000000;"},
      {"list", 0x80000000, " -.000000;"},
      {"list", 0x47F1205A, "  123457.;"},       // 123456.7
      {"list", 0x4996B438, "  1.234567E+06;"},  // 1234567.0
      {"list", 0x3D4CCCCD, "  5.000000E-02;"},  // 0.05
      {"list", 0xBAA3D70A, " -1.250000E-03;"},  // -0.00125
      {"list", 0x3F5DB3D0, "  .866025;"},
      {"list", 0x41480000, "  12.5000;"},
      {"list", 0x3F400000, "  .750000;"},
      {"list", 0x3E800000, "  .250000;"},
      {"list", 0x42C80000, "  100.000;"},
      // h is taken at seven digits; the fixed layout then rounds to six and
      // may carry into one more integer digit.
      {"list", 0x3F7FFFFF, "  1.000000;"},  // 0.99999994
      {"list", 0x497423F8, "  1000000.;"},  // 999999.5
      {"list", 0x497423FF, "  1000000.;"},  // 999999.94
      // Around 0.1 and 10^6.
      {"list", 0x3DCCCCCD, "  .100000;"},  // 0.1
      {"list", 0x3DCCCCCC, "  .100000;"},  // 0.099999994 rounds to 0.1
      {"list", 0x3DCCCCCB, "  .100000;"},
      {"list", 0x3DCCCCC0, "  9.999990E-02;"},  // 0.0999999
      {"list", 0x497423F7, "  999999.;"},       // 999999.44
      {"list", 0x49742400, "  1.000000E+06;"},  // 10^6
      {"list", 0x4B18967F, "  9.999999E+06;"},
      {"list", 0x7F7FFFFF, "  3.402823E+38;"},
      {"list", 0x00000001, "  1.401298E-45;"},
      {"list", 0x7FC00000, "  NaN;"},
      {"list", 0xFFC00000, " -NaN;"},
      {"list", 0x7F800000, "  INF;"},
      {"list", 0xFF800000, " -INF;"},
  };
  check_rows(rows, std::size(rows));
}

TEST(EditOutputTest, ResultFileRecordsOfTheWorkedExamples) {
  RecordBuffer out;
  out.put(' ');
  list_real(out, float_of(0x3F5DB3D0));  // 0.866025
  list_real(out, -0.5f);
  EXPECT_EQ(out.text(), "   .866025 -.500000");

  RecordBuffer semimatrix;
  semimatrix.put(' ');
  for (float v : {0.0f, 0.25f, 0.0f, 0.5f, 0.75f, 0.0f}) list_real(semimatrix, v);
  EXPECT_EQ(semimatrix.text(), "   .000000  .250000  .000000  .500000  .750000  .000000");

  RecordBuffer sizes;
  sizes.put(' ');
  list_integer(sizes, 5);
  list_integer(sizes, 3);
  EXPECT_EQ(sizes.text(), "   5  3");
}

std::string integer_field(int64_t value, int32_t w, int32_t m) {
  RecordBuffer out;
  edit_integer(out, value, w, m);
  return std::string(out.text()) + ";";
}

TEST(EditOutputTest, Integer) {
  EXPECT_EQ(integer_field(12, 4, 1), "  12;");
  EXPECT_EQ(integer_field(-123, 4, 1), "-123;");
  EXPECT_EQ(integer_field(12345, 4, 1), "****;");
  EXPECT_EQ(integer_field(-1234, 4, 1), "****;");
  EXPECT_EQ(integer_field(7, 6, 1), "     7;");
  EXPECT_EQ(integer_field(0, 1, 1), "0;");
  EXPECT_EQ(integer_field(0, 4, 0), "   0;");
  EXPECT_EQ(integer_field(5, 4, 3), " 005;");
  EXPECT_EQ(integer_field(-5, 4, 3), "-005;");
  EXPECT_EQ(integer_field(-5, 3, 3), "***;");
  EXPECT_EQ(integer_field(5, 3, 1000000000), "***;");
  EXPECT_EQ(integer_field(std::numeric_limits<int64_t>::min(), 20, 1), "-9223372036854775808;");
  EXPECT_EQ(integer_field(2, 6, 1), "     2;");
  EXPECT_EQ(integer_field(1, 0, 1), ";");
}

std::string character_field(std::string_view value, int32_t w) {
  RecordBuffer out;
  edit_character(out, value, w);
  return std::string(out.text()) + ";";
}

TEST(EditOutputTest, Character) {
  EXPECT_EQ(character_field("ROW ", 0), "ROW ;");
  EXPECT_EQ(character_field("ABCD", 2), "AB;");
  EXPECT_EQ(character_field("ABCD", 4), "ABCD;");
  EXPECT_EQ(character_field("ABCD", 6), "  ABCD;");
  EXPECT_EQ(character_field("", 3), "   ;");
}

TEST(EditOutputTest, ListDirectedIntegersAndLogicals) {
  RecordBuffer out;
  list_integer(out, 5);
  list_integer(out, -12);
  list_integer(out, 0);
  list_integer(out, std::numeric_limits<int64_t>::min());
  list_logical(out, true);
  list_logical(out, false);
  EXPECT_EQ(out.text(), "  5 -12  0 -9223372036854775808 T F");
}

TEST(EditOutputTest, ConversionsWriteAtThePositionAfterAGap) {
  RecordBuffer out;
  out.put("AB");
  out.move_right(2);
  edit_fixed(out, 1.5, false, 6, 2);
  EXPECT_EQ(out.text(), "AB    1.50");
}

// Reads back a field: optional sign, digits with a point, optional
// exponent with or without its letter.
bool parse_number(std::string_view text, double& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && text[i] == '-') {
    negative = true;
    ++i;
  }
  double mantissa = 0;
  int32_t scale = 0;
  bool point = false;
  bool any = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.') {
      if (point) return false;
      point = true;
    } else if (c >= '0' && c <= '9') {
      mantissa = mantissa * 10 + (c - '0');
      if (point) --scale;
      any = true;
    } else {
      break;
    }
  }
  if (!any || !point) return false;
  if (i < text.size()) {
    if (text[i] == 'E') ++i;
    if (i >= text.size() || (text[i] != '+' && text[i] != '-')) return false;
    const bool minus = text[i] == '-';
    int32_t exponent = 0;
    for (++i; i < text.size(); ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
      exponent = exponent * 10 + (text[i] - '0');
    }
    scale += minus ? -exponent : exponent;
  }
  // Dividing by an exact power of ten keeps ".100000" at exactly 0.1.
  const double magnitude =
      scale < 0 ? mantissa / std::pow(10.0, -scale) : mantissa * std::pow(10.0, scale);
  value = negative ? -magnitude : magnitude;
  return true;
}

// Every field is exactly w wide; what is not asterisks reads back close to
// the value.
TEST(EditOutputTest, SampledFloatsKeepWidthAndValue) {
  const char* const descriptors[] = {"F9.4", "F12.2", "F25.15", "E12.4", "E15.7", "E21.8"};
  std::mt19937 random(424242);
  for (int i = 0; i < 200000; ++i) {
    // Mostly values of moderate size, where the fields show digits.
    uint32_t bits = static_cast<uint32_t>(random());
    if (i % 2 == 0) bits = (bits & 0x807FFFFF) | ((100 + bits % 60) << 23);
    const float f = float_of(bits);
    const double v = static_cast<double>(f);
    for (const char* descriptor : descriptors) {
      const Descriptor desc = parse_descriptor(descriptor);
      const std::string field = convert(descriptor, v, false);
      ASSERT_EQ(field.size(), static_cast<size_t>(desc.w) + 1)
          << descriptor << " 0x" << std::hex << bits << " " << field;
      if (!std::isfinite(f) || field[0] == '*') continue;
      double back = 0;
      ASSERT_TRUE(parse_number(std::string_view(field).substr(0, desc.w), back))
          << descriptor << " 0x" << std::hex << bits << " " << field;
      const double tolerance = desc.letter == 'F'
                                   ? 0.5000001 * std::pow(10.0, -desc.d) + 6e-7 * std::fabs(v)
                                   : std::fabs(v) * (6 * std::pow(10.0, -desc.d) + 6e-7);
      ASSERT_LE(std::fabs(back - v), tolerance)
          << v << " " << descriptor << " 0x" << std::hex << bits << " " << field;
    }
  }
}

// List-directed reals: the two leading columns, the fixed form exactly for
// the values shown from .100000 to 1000000., six or seven significant
// digits, and a value that reads back close.
void check_list_layout(uint32_t bits) {
  const float f = float_of(bits);
  RecordBuffer out;
  list_real(out, f);
  const std::string_view text = out.text();
  // Built only when an assertion fails: the full sweep runs this 2^32 times.
  auto where = [&] {
    return testing::Message() << "bits 0x" << std::hex << bits << " [" << text << "]";
  };
  ASSERT_GE(text.size(), 5u) << where();
  ASSERT_EQ(text[0], ' ') << where();
  const bool negative = std::signbit(f);
  ASSERT_EQ(text[1], negative ? '-' : ' ') << where();
  const std::string_view body = text.substr(2);
  if (std::isnan(f)) {
    ASSERT_EQ(body, "NaN") << where();
    return;
  }
  if (std::isinf(f)) {
    ASSERT_EQ(body, "INF") << where();
    return;
  }
  double back = 0;
  ASSERT_TRUE(parse_number(body, back)) << where();
  if (negative) back = -back;
  const double v = static_cast<double>(f);
  const bool exponent_form = body.find('E') != std::string_view::npos;
  if (exponent_form) {
    ASSERT_EQ(body.size(), 12u) << where();
    ASSERT_EQ(body[1], '.') << where();
    ASSERT_TRUE(std::fabs(back) < 0.1 || std::fabs(back) >= 1e6) << where();
    ASSERT_LE(std::fabs(back - v), std::fabs(v) * 6e-7) << where();
  } else {
    size_t digits = 0;
    for (char c : body) digits += (c >= '0' && c <= '9') ? 1 : 0;
    ASSERT_TRUE(digits == 6 || digits == 7) << where();
    ASSERT_TRUE(back == 0 || (std::fabs(back) >= 0.1 && std::fabs(back) <= 1e6)) << where();
    ASSERT_LE(std::fabs(back - v), std::fabs(v) * 6e-6) << where();
  }
}

TEST(EditOutputTest, SampledListDirectedReals) {
  std::mt19937 random(777);
  for (int i = 0; i < 200000; ++i) {
    uint32_t bits = static_cast<uint32_t>(random());
    if (i % 2 == 0) bits = (bits & 0x807FFFFF) | ((118 + bits % 16) << 23);  // 2^-9 .. 2^22
    check_list_layout(bits);
  }
}

// Every 4-byte pattern: opt in with TOVA_FULL_SWEEP=1 (minutes).
TEST(EditOutputTest, FullListDirectedSweep) {
  const char* flag = std::getenv("TOVA_FULL_SWEEP");
  if (flag == nullptr || std::string(flag) != "1") GTEST_SKIP() << "set TOVA_FULL_SWEEP=1";
  uint32_t bits = 0;
  do {
    check_list_layout(bits);
    if (HasFatalFailure()) return;
    bits += 1;
  } while (bits != 0);
}

}  // namespace
}  // namespace textio
