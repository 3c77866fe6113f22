// Free-form input: token rules, null values, repeat counts, the slash, and
// the integer and real conversions.
#include "textio/list_input.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <deque>
#include <string>

#include "textio/io_error.h"

namespace textio {
namespace {

// Records handed out one by one; past the last one, end of file.
class ScriptedReader final : public RecordReader {
 public:
  explicit ScriptedReader(std::deque<std::string> lines) : lines_(std::move(lines)) {}
  void next_record(RecordBuffer& record) override {
    if (lines_.empty()) throw IoFailure{kReadPastEndOfFile};
    record.assign(lines_.front());
    lines_.pop_front();
  }
  size_t left() const { return lines_.size(); }

 private:
  std::deque<std::string> lines_;
};

// Reads `count` integers in one statement from `lines` (the first line is
// already in the record, as at the beginning of a READ).
std::vector<int32_t> read_integers(std::deque<std::string> lines, int count, int32_t fill = -7) {
  RecordBuffer record;
  record.assign(lines.front());
  lines.pop_front();
  ScriptedReader reader(std::move(lines));
  ListInput input(record, reader);
  std::vector<int32_t> values(static_cast<size_t>(count), fill);
  for (int32_t& v : values) input.read_integer(&v, 4);
  return values;
}

std::vector<float> read_reals(std::deque<std::string> lines, int count) {
  RecordBuffer record;
  record.assign(lines.front());
  lines.pop_front();
  ScriptedReader reader(std::move(lines));
  ListInput input(record, reader);
  std::vector<float> values(static_cast<size_t>(count), -7.0f);
  for (float& v : values) input.read_real(&v, 4);
  return values;
}

int32_t failure_code(const std::function<void()>& body) {
  try {
    body();
  } catch (const IoFailure& failure) {
    return failure.code;
  }
  return 0;
}

TEST(ListInput, SeparatorsGiveTheSameItems) {
  using V = std::vector<int32_t>;
  EXPECT_EQ(read_integers({"5 3"}, 2), (V{5, 3}));
  EXPECT_EQ(read_integers({"5,3"}, 2), (V{5, 3}));
  EXPECT_EQ(read_integers({"5 , 3"}, 2), (V{5, 3}));
  EXPECT_EQ(read_integers({"5", "3"}, 2), (V{5, 3}));
  EXPECT_EQ(read_integers({"5        3"}, 2), (V{5, 3}));  // a tab, expanded to blanks
  EXPECT_EQ(read_integers({"", "   ", "5", "", "3"}, 2), (V{5, 3}));
}

TEST(ListInput, NullValuesAndSlashLeaveItemsUnchanged) {
  using V = std::vector<int32_t>;
  EXPECT_EQ(read_integers({"1,,3"}, 3), (V{1, -7, 3}));
  EXPECT_EQ(read_integers({",2"}, 2), (V{-7, 2}));
  EXPECT_EQ(read_integers({"7 /"}, 3), (V{7, -7, -7}));
  EXPECT_EQ(read_integers({"7/8 9"}, 3), (V{7, -7, -7}));
  EXPECT_EQ(read_integers({"3*,"}, 3), (V{-7, -7, -7}));
  // A comma after a token that ended with its line only closes that token.
  EXPECT_EQ(read_integers({"5", ",3"}, 2), (V{5, 3}));
  EXPECT_EQ(read_integers({"5", ",,3"}, 2), (V{5, -7}));
}

TEST(ListInput, CommaAfterBlanksAtLineEndIsPartOfTheSeparator) {
  using V = std::vector<int32_t>;
  // The comma of "5 ," already closed the value: the next line's comma is a null.
  EXPECT_EQ(read_integers({"5 ,", ",3"}, 3), (V{5, -7, 3}));
  EXPECT_EQ(read_integers({"5,", ",3"}, 3), (V{5, -7, 3}));
  // A value ended by a blank did not end at the end of its record.
  EXPECT_EQ(read_integers({"5 ", ",3"}, 3), (V{5, -7, 3}));
  EXPECT_EQ(read_integers({"5   ", "3"}, 2), (V{5, 3}));
  // Only a value that runs into the end of its record is closed by the comma.
  EXPECT_EQ(read_integers({"5", ",3"}, 2), (V{5, 3}));
  EXPECT_EQ(read_integers({"4 5", ",3"}, 3), (V{4, 5, 3}));
}

TEST(ListInput, RepeatCounts) {
  using V = std::vector<int32_t>;
  EXPECT_EQ(read_integers({"3*4 1"}, 4), (V{4, 4, 4, 1}));
  EXPECT_EQ(read_reals({"2*0.5"}, 2), (std::vector<float>{0.5f, 0.5f}));
  EXPECT_EQ(failure_code([] { read_integers({"x*4"}, 1); }), kIllegalRepeatCount);
  EXPECT_EQ(failure_code([] { read_integers({"0*4"}, 1); }), kIllegalRepeatCount);
}

TEST(ListInput, ExtraValuesStayOnTheLineAndEndOfFileFails) {
  RecordBuffer record;
  record.assign("1 2 3 4");
  ScriptedReader reader({"9"});
  ListInput input(record, reader);
  int32_t a = 0, b = 0;
  input.read_integer(&a, 4);
  input.read_integer(&b, 4);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(reader.left(), 1u);  // the next statement starts on the next line
  EXPECT_EQ(failure_code([] { read_integers({"1"}, 2); }), kReadPastEndOfFile);
}

TEST(ListInput, CharacterItems) {
  RecordBuffer record;
  record.assign("'it''s' abc \"x\"");
  ScriptedReader reader({});
  ListInput input(record, reader);
  char a[6], b[2], c[3];
  input.read_character(a, sizeof a);
  input.read_character(b, sizeof b);
  input.read_character(c, sizeof c);
  EXPECT_EQ(std::string(a, 6), "it's  ");
  EXPECT_EQ(std::string(b, 2), "ab");
  EXPECT_EQ(std::string(c, 3), "x  ");
}

TEST(Conversion, IntegersAcceptSignAndDigitsOnly) {
  EXPECT_EQ(convert_integer("42"), 42);
  EXPECT_EQ(convert_integer("-42"), -42);
  EXPECT_EQ(convert_integer("+7"), 7);
  EXPECT_EQ(convert_integer("-"), 0);
  EXPECT_EQ(convert_integer("2147483647"), 2147483647);
  EXPECT_EQ(convert_integer("-2147483648"), INT32_MIN);
  EXPECT_EQ(convert_integer("-0000000000002147483648"), INT32_MIN);
  for (const char* bad : {"1.0", "1E3", "a", "1-2", "--1", "99999999999x"}) {
    EXPECT_EQ(failure_code([bad] { convert_integer(bad); }), kIllegalNumericCharacter) << bad;
  }
}

TEST(Conversion, IntegersBeyond32BitsAreRefusedNotWrapped) {
  for (const char* wide :
       {"2147483648", "-2147483649", "4294967297", "4294967303", "99999999999999999999999"}) {
    EXPECT_EQ(failure_code([wide] { convert_integer(wide); }), kIntegerOutOfRange) << wide;
  }
}

TEST(Conversion, RealsFollowTheDecimalRule) {
  EXPECT_EQ(convert_real("1.5"), 1.5);
  EXPECT_EQ(convert_real("-2.25"), -2.25);
  EXPECT_EQ(convert_real("1.5+3"), 1500.0);
  EXPECT_EQ(convert_real("1.5E3"), 1500.0);
  EXPECT_EQ(convert_real("25d-1"), 2.5);
  EXPECT_EQ(convert_real(".5"), 0.5);
  EXPECT_EQ(convert_real("5."), 5.0);
  EXPECT_EQ(convert_real("0.000123"), 123.0 / 1e6);
  EXPECT_EQ(convert_real("1.50000000000000000000000000"), 1.5);
  EXPECT_EQ(convert_real("0e400"), 0.0);
  EXPECT_TRUE(std::isinf(convert_real("1e400")));
  EXPECT_TRUE(std::isinf(convert_real("-inf")) && convert_real("-inf") < 0);
  EXPECT_TRUE(std::isinf(convert_real("Infinity")));
  EXPECT_TRUE(std::isnan(convert_real("NaN")));
  // The float of the text is the float of the double the rule gives.
  EXPECT_EQ(static_cast<float>(convert_real("0.1")), 0.1f);
  EXPECT_EQ(static_cast<float>(convert_real("360")), 360.0f);
  for (const char* bad :
       {"1.2.3", "1E", "1.5+", "abc", "1x", "E5", "1E2.5", "1,5", ".", "-", "+", "-.", ".e5"}) {
    EXPECT_EQ(failure_code([bad] { convert_real(bad); }), kIllegalNumericCharacter) << bad;
  }
}

TEST(Conversion, ManyDigitsStopAtTheMantissaLimit) {
  // Integer digits past the limit only raise the exponent.
  EXPECT_EQ(convert_real("12345678901234567890123"), 1234567890123456789.0 * 10000.0);
  // Fraction digits past the limit are ignored.
  EXPECT_EQ(convert_real("1.2345678901234567890123"), 1234567890123456789.0 / 1e18);
}

TEST(CharacterInput, AFillsCutsAndPads) {
  RecordBuffer record;
  char name[10];
  record.assign("  data.txt  and more");
  edit_input_character(record, name, sizeof name, 0);
  EXPECT_EQ(std::string(name, 10), "  data.txt");
  record.assign("");
  edit_input_character(record, name, sizeof name, 0);
  EXPECT_EQ(std::string(name, 10), std::string(10, ' '));
  record.assign("abcdefghijkl");
  edit_input_character(record, name, 4, 6);  // a wider field gives its rightmost part
  EXPECT_EQ(std::string(name, 4), "cdef");
}

}  // namespace
}  // namespace textio
