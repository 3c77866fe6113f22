#include "textio/format_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <variant>
#include <vector>

#include "textio/edit_output.h"
#include "textio/format_walker.h"
#include "textio/io_api.h"
#include "textio/io_error.h"
#include "textio/record_buffer.h"
#include "textio/testing.h"

namespace textio {
namespace {

int32_t failure_code(std::string_view text) {
  try {
    compile_format_or_throw(text);
  } catch (const FormatError& failure) {
    return failure.code;
  }
  return 0;
}

TEST(FormatTableTest, RowFormatTable) {
  const FormatTable table = compile_format("(2X,'ROW ',I4/(10F9.4))");
  const std::vector<FormatEntry> expected = {
      {0, 0, 0, 0, 0},             // header
      {kDescX, 0, 2, 1, 1},        // 2X
      {kDescLiteral, 0, 4, 4, 1},  // 'ROW '
      {0, 0, 0, 0, 0},             // its text, checked below
      {kDescI, 1, 4, 11, 1},       // I4: m = 1 when not given
      {kDescSlash, 0, 1, 13, 1},
      {kDescF, 4, 9, 15, 10},    // (10F9.4) flattened into 10F9.4
      {kDescEnd, 0, 0, 22, -1},  // reversion back to it
  };
  ASSERT_EQ(table.entries.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    if (i == 3) continue;
    EXPECT_EQ(table.entries[i], expected[i]) << "entry " << i;
  }
  char text[20];
  std::memcpy(text, table.entries[3].data(), 20);
  EXPECT_EQ(std::string(text, 20), std::string("ROW ") + std::string(16, '\0'));
  EXPECT_EQ(literal_text(table, 2), "ROW ");
}

TEST(FormatTableTest, EigenvalueCountFormatRevertsSixteenEntriesBack) {
  const FormatTable table = compile_format(
      "(///3X,'NUMBER OF POSITIVE EIGENVALUES =',I6//3X,  'SUM OF POSITIVE EIGENVALUES =',"
      "E21.8/)");
  // header; three '/' entries; 3X; a 32-character literal and two text
  // entries; I6; two '/'; 3X; a 29-character literal and two text entries;
  // E21.8; '/'; end.
  const auto& e = table.entries;
  ASSERT_EQ(e.size(), 18u);
  for (size_t i : {1, 2, 3, 9, 10, 16}) {
    EXPECT_EQ(e[i][0], kDescSlash) << i;
    EXPECT_EQ(e[i][2], 1) << i;
  }
  EXPECT_EQ(e[5][0], kDescLiteral);
  EXPECT_EQ(e[5][2], 32);
  EXPECT_EQ(literal_text(table, 5), "NUMBER OF POSITIVE EIGENVALUES =");
  EXPECT_EQ(e[8][0], kDescI);
  EXPECT_EQ(e[8][2], 6);
  EXPECT_EQ(literal_text(table, 12), "SUM OF POSITIVE EIGENVALUES =");
  EXPECT_EQ(e[15], (FormatEntry{kDescE, 8, 21, 83, 1}));
  EXPECT_EQ(e[17][0], kDescEnd);
  EXPECT_EQ(e[17][4], -16);
}

TEST(FormatTableTest, HollerithAndQuotedLiteralsCompileAlike) {
  EXPECT_EQ(compile_format("(1H+,'CURRENT V.=',F25.15)").entries[1],
            compile_format("('+','CURRENT V.=',F25.15)").entries[1]);
  EXPECT_EQ(literal_text(compile_format("(3H'A )"), 1), "'A ");
  EXPECT_EQ(literal_text(compile_format("(4h AB )"), 1), " AB ");
}

TEST(FormatTableTest, DoubledQuotesStandForOne) {
  EXPECT_EQ(literal_text(compile_format("('IT''S')"), 1), "IT'S");
  EXPECT_EQ(literal_text(compile_format("(\"A\"\"B\")"), 1), "A\"B");
  EXPECT_EQ(literal_text(compile_format("(\"IT'S\")"), 1), "IT'S");
  const FormatTable empty = compile_format("('',I1)");
  EXPECT_EQ(empty.entries[1][2], 0);
  EXPECT_EQ(empty.entries[2][0], kDescI);  // no text entry for an empty literal
}

TEST(FormatTableTest, LongLiteralTextIsZeroPadded) {
  const std::string text(21, 'x');
  const FormatTable table = compile_format("('" + text + "')");
  ASSERT_EQ(table.entries.size(), 5u);  // header, literal, two text entries, end
  EXPECT_EQ(literal_text(table, 1), text);
  char tail[20];
  std::memcpy(tail, table.entries[3].data(), 20);
  EXPECT_EQ(std::string(tail, 20), "x" + std::string(19, '\0'));
  EXPECT_EQ(table.entries[4][4], -3);
}

size_t failure_offset(std::string_view text) {
  try {
    compile_format_or_throw(text);
  } catch (const FormatError& failure) {
    return failure.offset;
  }
  return std::string_view::npos;
}

#ifdef _WIN32
constexpr int kFailedRunStatus = -1;
#else
constexpr int kFailedRunStatus = 255;  // exit(-1) as the parent sees it
#endif

// A bad format compiled as a static ends the run through the report, naming
// the text and where the compiler stopped, instead of an uncaught throw.
TEST(FormatTableDeathTest, BadTextIsReportedWithTextAndOffset) {
  EXPECT_EQ(failure_offset("(I4,Q5)"), 4u);
  EXPECT_EQ(failure_offset("I4"), 0u);
  EXPECT_EQ(failure_offset("(I4"), 3u);
  EXPECT_EXIT(
      {
        reset_runtime_for_tests();
        static const FormatTable bad = compile_format("(I4,Q5)");
        (void)bad;
      },
      ::testing::ExitedWithCode(kFailedRunStatus),
      "^\\? FORTRAN Runtime Error:\n\\? Error in format string\n"
      "\\? in format \\(I4,Q5\\), offset 4\n$");
}

TEST(FormatTableTest, DescriptorWords) {
  EXPECT_EQ(compile_format("(E12.4E3)").entries[1], (FormatEntry{kDescE | (3 << 10), 4, 12, 1, 1}));
  EXPECT_EQ(compile_format("(E12.4)").entries[1], (FormatEntry{kDescE, 4, 12, 1, 1}));
  EXPECT_EQ(compile_format("(I6.3)").entries[1], (FormatEntry{kDescI, 3, 6, 1, 1}));
  EXPECT_EQ(compile_format("(A)").entries[1], (FormatEntry{kDescA, 0, 0, 1, 1}));
  EXPECT_EQ(compile_format("(3A5)").entries[1], (FormatEntry{kDescA, 0, 5, 1, 3}));
  EXPECT_EQ(compile_format("(f9.4)").entries[1], (FormatEntry{kDescF, 4, 9, 1, 1}));
  EXPECT_EQ(compile_format("(3/)").entries[1], (FormatEntry{kDescSlash, 0, 3, 1, 1}));
  EXPECT_EQ(compile_format("(X)").entries[1], (FormatEntry{kDescX, 0, 1, 1, 1}));
  // Blanks outside literals mean nothing.
  EXPECT_EQ(compile_format(" ( 1 0 F 9 . 4 ) ").entries[1], (FormatEntry{kDescF, 4, 9, 3, 10}));
}

// Codes and words of a table without the text positions.
std::vector<FormatEntry> shape(const FormatTable& table) {
  std::vector<FormatEntry> entries = table.entries;
  for (FormatEntry& entry : entries) entry[3] = 0;
  return entries;
}

TEST(FormatTableTest, CommasAreOptionalAroundSlashes) {
  EXPECT_EQ(shape(compile_format("(I4/I5)")), shape(compile_format("(I4,/,I5)")));
  EXPECT_EQ(shape(compile_format("(I4//I5)")), shape(compile_format("(I4,/,/,I5)")));
  EXPECT_EQ(shape(compile_format("(I4,/I5)")), shape(compile_format("(I4/,I5)")));
}

TEST(FormatTableTest, GroupsAndReversion) {
  const FormatTable table = compile_format("(I2,2(I3,F5.1),I4)");
  const auto& e = table.entries;
  ASSERT_EQ(e.size(), 8u);
  EXPECT_EQ(e[2][0], kDescGroupOpen);
  EXPECT_EQ(e[2][4], 2);
  EXPECT_EQ(e[5][0], kDescGroupClose);
  EXPECT_EQ(e[7][4], -5);  // back to the group's opening entry

  // The rightmost outermost group, not the innermost one.
  const FormatTable nested = compile_format("(I1,(I2,(I3,I4)),I5)");
  EXPECT_EQ(nested.entries[2][0], kDescGroupOpen);
  EXPECT_EQ(nested.entries.back()[4], 2 - static_cast<int32_t>(nested.entries.size() - 1));

  // Without an inner group, reversion starts at the first descriptor.
  const FormatTable flat = compile_format("(I1,I2)");
  EXPECT_EQ(flat.entries.back()[4], -2);
}

TEST(FormatTableTest, SingleDescriptorGroupsFlatten) {
  const FormatTable flattened = compile_format("(I2,2(3F9.4))");
  EXPECT_EQ(flattened.entries[2], (FormatEntry{kDescF, 4, 9, 6, 6}));
  EXPECT_EQ(flattened.entries[3][4], -1);  // reversion to the flattened group
  EXPECT_EQ(compile_format("(((I4)))").entries.size(), 3u);
  EXPECT_EQ(compile_format("(((I4)))").entries[2][4], -1);
  EXPECT_EQ(compile_format("(2(3X))").entries[1], (FormatEntry{kDescX, 0, 3, 3, 2}));
  EXPECT_EQ(compile_format("(2('AB'),I1)").entries[1][4], 2);
  EXPECT_EQ(failure_code("(2000000(2000000I4))"), kIllegalRepeatCount);
  // Empty groups are dropped.
  const FormatTable dropped = compile_format("(I1,1111111112(3(())),I2)");
  ASSERT_EQ(dropped.entries.size(), 4u);
  EXPECT_EQ(dropped.entries[2][0], kDescI);
  EXPECT_EQ(dropped.entries[3][4], -1);  // reversion where the group stood
}

TEST(FormatTableTest, Errors) {
  const struct {
    const char* text;
    int32_t code;
  } rows[] = {
      {"", kFormatMissingParen},
      {"I4)", kFormatMissingParen},
      {"301(I4)", kFormatMissingParen},
      {"(I4", kFormatUnmatchedParens},
      {"((I4)", kFormatUnmatchedParens},
      {"(I4))", kFormatUnmatchedParens},
      {"(I4,3", kFormatUnmatchedParens},
      {"('ABC)", kFormatUnmatchedQuotes},
      {"('AB''", kFormatUnmatchedQuotes},
      {"(5HABC)", kHollerithCountExceeds},
      {"(4HABC", kHollerithCountExceeds},
      {"(0F9.4)", kIllegalRepeatCount},
      {"(0(I4))", kIllegalRepeatCount},
      {"(0X)", kIllegalRepeatCount},
      {"(99999999999F9.4)", kIllegalRepeatCount},
      {"(2'AB')", kNonRepeatableDescriptor},
      {"(3,I4)", kNonRepeatableDescriptor},
      {"(I4,3)", kNonRepeatableDescriptor},
      {"(Q4)", kErrorInFormatString},
      {"(F9)", kErrorInFormatString},
      {"(F.4)", kErrorInFormatString},
      {"(E12)", kErrorInFormatString},
      {"(I)", kErrorInFormatString},
      {"(I4.)", kErrorInFormatString},
      {"(E12.4E0)", kErrorInFormatString},
      {"(A0)", kErrorInFormatString},
      {"(H)", kErrorInFormatString},
      {"(I4,,I5)", kErrorInFormatString},
      {"(,I4)", kErrorInFormatString},
      {"(I4,)", kErrorInFormatString},
      {"(I4) X", kErrorInFormatString},
      {"(-2X)", kErrorInFormatString},
      {"(I99999999999)", kErrorInFormatString},
  };
  for (const auto& row : rows) EXPECT_EQ(failure_code(row.text), row.code) << row.text;
  EXPECT_EQ(failure_code("()"), 0);
  EXPECT_EQ(failure_code("  (I4)  "), 0);
}

// The walker's context that logs what it is asked to do; data descriptors
// are logged by the test as they are handed out, and a run of the same one
// is merged into a repeat count ("10F9.4").
class RecordingContext final : public FormatContext {
 public:
  void emit_literal(std::string_view text) override {
    log_.push_back("'" + std::string(text) + "'");
  }
  void move_right(int32_t count) override { log_.push_back(std::to_string(count) + "X"); }
  void end_record() override { log_.push_back("/"); }

  void data(const DataEdit& edit) {
    std::string text;
    switch (edit.edit_code) {
      case kEditI:
        text = "I" + std::to_string(edit.w) + (edit.d != 1 ? "." + std::to_string(edit.d) : "");
        break;
      case kEditF:
        text = "F" + std::to_string(edit.w) + "." + std::to_string(edit.d);
        break;
      case kEditE:
        text = "E" + std::to_string(edit.w) + "." + std::to_string(edit.d) +
               (edit.e != 2 ? "E" + std::to_string(edit.e) : "");
        break;
      default:
        text = "A" + (edit.w != 0 ? std::to_string(edit.w) : "");
        break;
    }
    if (!log_.empty() && !data_.empty() && data_.back().first == log_.size() - 1 &&
        data_.back().second == text) {
      ++count_.back();
      log_.back() = std::to_string(count_.back()) + text;
      return;
    }
    log_.push_back(text);
    data_.push_back({log_.size() - 1, text});
    count_.push_back(1);
  }

  const std::vector<std::string>& log() const { return log_; }

 private:
  std::vector<std::string> log_;
  std::vector<std::pair<size_t, std::string>> data_;
  std::vector<int32_t> count_;
};

// One statement: prepare, `items` fetches, finish.
std::vector<std::string> walk(std::string_view format, int items) {
  const FormatTable table = compile_format(format);
  FormatWalker walker;
  RecordingContext context;
  walker.prepare(table);
  for (int i = 0; i < items; ++i) context.data(walker.next_data(context));
  walker.finish(context);
  return context.log();
}

using Log = std::vector<std::string>;

TEST(FormatWalkerTest, RowFormat) {
  EXPECT_EQ(walk("(2X,'ROW ',I4/(10F9.4))", 1 + 23),
            (Log{"2X", "'ROW '", "I4", "/", "10F9.4", "/", "10F9.4", "/", "3F9.4"}));
  // Items ending with the group: no empty record after it.
  EXPECT_EQ(walk("(2X,'ROW ',I4/(10F9.4))", 1 + 10), (Log{"2X", "'ROW '", "I4", "/", "10F9.4"}));
  EXPECT_EQ(walk("(2X,'ROW ',I4/(5E15.7))", 1 + 6),
            (Log{"2X", "'ROW '", "I4", "/", "5E15.7", "/", "E15.7"}));
}

TEST(FormatWalkerTest, EigenvalueReportFormats) {
  EXPECT_EQ(walk("(3X,'EIGENVALUES'/(5E12.4))", 7),
            (Log{"3X", "'EIGENVALUES'", "/", "5E12.4", "/", "2E12.4"}));
  // The trailing '/' runs at the end of the statement, whose end then
  // closes the record it opened: one empty record.
  EXPECT_EQ(walk("(///3X,'NUMBER OF POSITIVE EIGENVALUES =',I6//3X,  'SUM OF POSITIVE "
                 "EIGENVALUES =',E21.8/)",
                 2),
            (Log{"/", "/", "/", "3X", "'NUMBER OF POSITIVE EIGENVALUES ='", "I6", "/", "/", "3X",
                 "'SUM OF POSITIVE EIGENVALUES ='", "E21.8", "/"}));
  // No items: the walk stops at the first data descriptor.
  EXPECT_EQ(walk("(/3X,'EIGENVALUES AS PERCENT'/(5F12.2))", 0),
            (Log{"/", "3X", "'EIGENVALUES AS PERCENT'", "/"}));
  EXPECT_EQ(walk("(/3X,'EIGENVALUES AS PERCENT'/(5F12.2))", 2),
            (Log{"/", "3X", "'EIGENVALUES AS PERCENT'", "/", "2F12.2"}));
  EXPECT_EQ(walk("(///3X,'COMPONENT CORRELATIONS '//)", 0),
            (Log{"/", "/", "/", "3X", "'COMPONENT CORRELATIONS '", "/", "/"}));
  EXPECT_EQ(walk("(2X,'VARIABLE',I4,/(5F12.3))", 1 + 2),
            (Log{"2X", "'VARIABLE'", "I4", "/", "2F12.3"}));
  EXPECT_EQ(walk("(2X,'VARIABLE',I4,/(5F12.3))", 1 + 7),
            (Log{"2X", "'VARIABLE'", "I4", "/", "5F12.3", "/", "2F12.3"}));
  EXPECT_EQ(walk("(2X,'VARIABLE',I4,/(5F12.3))", 1), (Log{"2X", "'VARIABLE'", "I4", "/"}));
}

TEST(FormatWalkerTest, ProgressFormats) {
  EXPECT_EQ(walk("(1H+,'CURRENT V.=',F25.15)", 1), (Log{"'+'", "'CURRENT V.='", "F25.15"}));
  EXPECT_EQ(walk("(/' EIGENANALYSIS UNDERWAY'//' THRESHOLD =',F25.15/)", 1),
            (Log{"/", "' EIGENANALYSIS UNDERWAY'", "/", "/", "' THRESHOLD ='", "F25.15", "/"}));
}

TEST(FormatWalkerTest, RepeatsGroupsAndReversion) {
  EXPECT_EQ(walk("(I1,2(I2,I3))", 1 + 8),
            (Log{"I1", "I2", "I3", "I2", "I3", "/", "I2", "I3", "I2", "I3"}));
  // Reversion without an inner group repeats the whole format.
  EXPECT_EQ(walk("('A',I1)", 3), (Log{"'A'", "I1", "/", "'A'", "I1", "/", "'A'", "I1"}));
  EXPECT_EQ(walk("(2('AB'),I1)", 1), (Log{"'AB'", "'AB'", "I1"}));
  EXPECT_EQ(walk("(I1,3/)", 1), (Log{"I1", "/", "/", "/"}));
  EXPECT_EQ(walk("(I1,2(/))", 1), (Log{"I1", "/", "/"}));
  EXPECT_EQ(walk("(I1,2(3X))", 1), (Log{"I1", "3X", "3X"}));
  EXPECT_EQ(walk("(I2,5X)", 1), (Log{"I2", "5X"}));
  // Finishing inside a repeated group stops at its next data descriptor.
  EXPECT_EQ(walk("(2(I4,'X'))", 1), (Log{"I4", "'X'"}));
  EXPECT_EQ(walk("(A,A5,I3.2,E12.4E3)", 4), (Log{"A", "A5", "I3.2", "E12.4E3"}));
}

TEST(FormatWalkerTest, EmptyFormatWritesOnlyTheRecordEnd) {
  EXPECT_EQ(walk("()", 0), Log{});
  EXPECT_EQ(walk("(1111111112 ())", 0), Log{});
  try {
    walk("()", 1);
    FAIL() << "no failure";
  } catch (const IoFailure& failure) {
    EXPECT_EQ(failure.code, kErrorInFormatString);
  }
}

TEST(FormatWalkerTest, WalkerIsReusedAcrossStatements) {
  const FormatTable table = compile_format("(I1,(2I2))");
  FormatWalker walker;
  for (int statement = 0; statement < 2; ++statement) {
    RecordingContext context;
    walker.prepare(table);
    for (int i = 0; i < 4; ++i) context.data(walker.next_data(context));
    walker.finish(context);
    EXPECT_EQ(context.log(), (Log{"I1", "2I2", "/", "I2"}));
  }
}

TEST(FormatWalkerTest, FormatWithoutDataDescriptorFailsOnAnItem) {
  const FormatTable table = compile_format("('ABC')");
  FormatWalker walker;
  RecordingContext context;
  walker.prepare(table);
  try {
    walker.next_data(context);
    FAIL() << "no failure";
  } catch (const IoFailure& failure) {
    EXPECT_EQ(failure.code, kErrorInFormatString);
  }
  EXPECT_EQ(context.log(), (Log{"'ABC'", "/", "'ABC'"}));
}

std::string nested_groups(int depth) {
  std::string text = "(";
  for (int i = 0; i < depth; ++i) text += "(I1,";
  text += "I2";
  for (int i = 0; i < depth; ++i) text += ")";
  return text + ")";
}

TEST(FormatWalkerTest, TwentyNestedGroupsAndNoMore) {
  const FormatTable twenty = compile_format(nested_groups(20));
  const FormatTable twenty_one = compile_format(nested_groups(21));
  FormatWalker walker;
  EXPECT_NO_THROW(walker.prepare(twenty));
  try {
    walker.prepare(twenty_one);
    FAIL() << "no failure";
  } catch (const IoFailure& failure) {
    EXPECT_EQ(failure.code, kFormatGroupOverflow);
  }
}

// Records written through the walker and the conversions, as a WRITE does.
class RecordContext final : public FormatContext {
 public:
  void emit_literal(std::string_view text) override { record.put(text); }
  void move_right(int32_t count) override { record.move_right(static_cast<size_t>(count)); }
  void end_record() override {
    records.emplace_back(record.text());
    record.clear();
  }
  RecordBuffer record;
  std::vector<std::string> records;
};

using Item = std::variant<int32_t, float>;

std::vector<std::string> write_formatted(std::string_view format, const std::vector<Item>& items) {
  const FormatTable table = compile_format(format);
  FormatWalker walker;
  RecordContext context;
  walker.prepare(table);
  for (const Item& item : items) {
    const DataEdit edit = walker.next_data(context);
    if (const int32_t* i = std::get_if<int32_t>(&item)) {
      edit_integer(context.record, *i, edit.w, edit.d);
    } else if (edit.edit_code == kEditE) {
      edit_exponent(context.record, std::get<float>(item), false, edit.w, edit.d, edit.e);
    } else {
      edit_fixed(context.record, std::get<float>(item), false, edit.w, edit.d);
    }
  }
  walker.finish(context);
  context.end_record();
  return context.records;
}

TEST(FormatWalkerTest, ReportRecordsOfTheWorkedExample) {
  EXPECT_EQ(write_formatted("(2X,'ROW ',I4/(10F9.4))", {1, 1.0f, 0.5f}),
            (Log{"  ROW    1", "   1.0000    .5000"}));
  EXPECT_EQ(write_formatted("(///3X,'NUMBER OF POSITIVE EIGENVALUES =',I6//3X,  'SUM OF POSITIVE "
                            "EIGENVALUES =',E21.8/)",
                            {2, 2.0f}),
            (Log{"", "", "", "   NUMBER OF POSITIVE EIGENVALUES =     2", "",
                 "   SUM OF POSITIVE EIGENVALUES =       0.20000000E+01", ""}));
  EXPECT_EQ(write_formatted("(3X,'EIGENVALUES'/(5E12.4))", {1.5f, 0.5f}),
            (Log{"   EIGENVALUES", "  0.1500E+01  0.5000E+00"}));
  EXPECT_EQ(write_formatted("(/3X,'EIGENVALUES AS PERCENT'/(5F12.2))", {75.0f, 25.0f}),
            (Log{"", "   EIGENVALUES AS PERCENT", "       75.00       25.00"}));
  EXPECT_EQ(write_formatted("(/3X,'EIGENVALUES AS PERCENT'/(5F12.2))", {}),
            (Log{"", "   EIGENVALUES AS PERCENT", ""}));
  EXPECT_EQ(write_formatted("(///3X,'COMPONENT CORRELATIONS '//)", {}),
            (Log{"", "", "", "   COMPONENT CORRELATIONS ", "", ""}));
  EXPECT_EQ(write_formatted("(2X,'VARIABLE',I4,/(5F12.3))", {1, 0.8660254f, -0.5f}),
            (Log{"  VARIABLE   1", "        .866       -.500"}));
  EXPECT_EQ(write_formatted("(2X,'VARIABLE',I4,/(5F12.3))", {1}), (Log{"  VARIABLE   1", ""}));
  EXPECT_EQ(write_formatted("(1H+,'CURRENT V.=',F25.15)", {0.35350001f}),
            (Log{"+CURRENT V.=         .353500000000000"}));
  // A trailing X does not lengthen the record.
  EXPECT_EQ(write_formatted("(I2,5X)", {7}), (Log{" 7"}));
  EXPECT_EQ(write_formatted("(I2,5X,'A')", {7}), (Log{" 7     A"}));
}

}  // namespace
}  // namespace textio
