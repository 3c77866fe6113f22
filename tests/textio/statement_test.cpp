// Statements end to end through the console hooks and real files: record
// layout, hook order, units, OPEN/CLOSE, reports and STOP.
#include "textio/statement.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/capture.h"
#include "textio/allocate.h"
#include "textio/edit_output.h"
#include "textio/format_table.h"
#include "textio/io_api.h"
#include "textio/io_error.h"
#include "textio/units.h"

namespace textio {
namespace {

using testing::ConsoleCapture;
using testing::run_to_end;
using testing::TempDirectory;

TEST(ConsoleOutput, ListDirectedRecordsBeginWithABlankAndEndInCrLf) {
  ConsoleCapture console;
  WriteStatement{kConsole}.character(" ENTER FILENAME FOR INPUT DATA");
  WriteStatement{kConsole};
  WriteStatement{kConsole}.character("  ").character("TITLE");
  WriteStatement{kConsole}.integer(5).integer(-12).character("A").character("B").integer(0);
  ASSERT_EQ(console.writes().size(), 4u);  // one write call per record
  EXPECT_EQ(console.writes()[0].bytes, "  ENTER FILENAME FOR INPUT DATA\r\n");
  EXPECT_EQ(console.writes()[0].handle, kStdOutputHandle);
  EXPECT_EQ(console.writes()[1].bytes, " \r\n");
  EXPECT_EQ(console.writes()[2].bytes, "   TITLE\r\n");
  EXPECT_EQ(console.writes()[3].bytes, "   5 -12 AB  0\r\n");
  EXPECT_EQ(console.polls(), 4);
}

TEST(ConsoleOutput, LongRecordsReachTheHookIn256BytePieces) {
  ConsoleCapture console;
  const std::string text(600, 'x');
  WriteStatement{kConsole}.character(text);
  ASSERT_EQ(console.writes().size(), 3u);
  EXPECT_EQ(console.writes()[0].bytes.size(), 256u);
  EXPECT_EQ(console.writes()[1].bytes.size(), 256u);
  EXPECT_EQ(console.writes()[2].bytes, std::string(89, 'x') + "\r\n");
}

TEST(ConsoleOutput, PlusInColumnOneIsPrintedAsText) {
  ConsoleCapture console;
  static const FormatTable format = compile_format("(1H+,'CURRENT')");
  WriteStatement{kConsole, &format};
  EXPECT_EQ(console.output(), "+CURRENT\r\n");
}

TEST(ConsoleInput, AReadsTheWholeLineAndListReadsNumbers) {
  ConsoleCapture console;
  console.type("  data.txt \r\n");
  console.type("\n");
  console.type("   1  \n");
  static const FormatTable a_format = compile_format("(A)");
  char name[20];
  ReadStatement{kConsole, &a_format}.character(name, sizeof name);
  EXPECT_EQ(std::string(name, 20), "  data.txt          ");
  int32_t option = -5;
  ReadStatement{kConsole}.integer(option);
  EXPECT_EQ(option, 1);
  EXPECT_EQ(console.reads(), 3);
  EXPECT_EQ(console.polls(), 0);  // reads from standard input do not poll
}

TEST(ConsoleInput, SeveralLinesInOneHookCallAreKept) {
  ConsoleCapture console;
  console.type("5\n7\n");
  int32_t a = 0, b = 0;
  ReadStatement{kConsole}.integer(a);
  ReadStatement{kConsole}.integer(b);
  EXPECT_EQ(a, 5);
  EXPECT_EQ(b, 7);
  EXPECT_EQ(console.reads(), 1);
}

TEST(Reports, EndOfConsoleInputIsFatal) {
  ConsoleCapture console;
  int32_t value = 0;
  EXPECT_EQ(run_to_end([&] { ReadStatement{kConsole}.integer(value); }), -1);
  EXPECT_EQ(console.errors(),
            "? FORTRAN Runtime Error:\n? Attempt to read past end of file\n? READ(UNIT=*,...\n");
  ASSERT_EQ(console.writes().size(), 4u);  // the statement line in two calls
  EXPECT_EQ(console.writes()[2].bytes, "? READ(UNIT=");
  EXPECT_EQ(console.finishes(), std::vector<int32_t>{-1});
}

TEST(Reports, LetterForANumber) {
  ConsoleCapture console;
  console.type("x\n");
  int32_t value = 0;
  EXPECT_EQ(run_to_end([&] { ReadStatement{kConsole}.integer(value); }), -1);
  EXPECT_EQ(console.errors(),
            "? FORTRAN Runtime Error:\n? Illegal character in numeric input\n? READ(UNIT=*,...\n");
}

TEST(Reports, StatusVariableAndBranchesReturn) {
  ConsoleCapture console;
  int32_t status = 0;
  int32_t unit = 1;
  TempDirectory directory;
  ASSERT_EQ(open_unit(1, "empty.dat"), 0);
  IoStatement with_status{&unit, 0, &status, nullptr};
  EXPECT_EQ(begin_read(with_status), 1);
  EXPECT_EQ(status, -1);
  int32_t v = 3;
  EXPECT_EQ(transfer_item(IoItem{1, kItemInteger4, &v, 4}), 1);  // skipped after the failure
  end_statement();
  IoStatement with_end{&unit, kEndBranch, nullptr, nullptr};
  EXPECT_EQ(begin_read(with_end), 2);
  EXPECT_TRUE(console.errors().empty());
}

TEST(Stop, WritesTheStopLineInPiecesClosesFilesAndFinishes) {
  ConsoleCapture console;
  TempDirectory directory;
  open_unit(10, "LOADS.TXT");
  WriteStatement{unit(10)}.integer(2).integer(2);
  EXPECT_EQ(run_to_end([] { stop(" "); }), 0);
  ASSERT_EQ(console.writes().size(), 3u);
  EXPECT_EQ(console.writes()[0].bytes, " STOP ");
  EXPECT_EQ(console.writes()[1].bytes, " ");
  EXPECT_EQ(console.writes()[2].bytes, "\n");
  EXPECT_EQ(console.finishes(), std::vector<int32_t>{0});
  EXPECT_EQ(TempDirectory::read("LOADS.TXT"), "   2  2\r\n");
}

TEST(Stop, EmptyCodeWritesFiveCharacters) {
  ConsoleCapture console;
  EXPECT_EQ(run_to_end([] { stop(""); }), 0);
  EXPECT_EQ(console.errors(), " STOP\n");
}

TEST(Files, OpenCreatesAMissingFileAndTheFirstReadFails) {
  ConsoleCapture console;
  TempDirectory directory;
  EXPECT_EQ(run_to_end([] {
              open_unit(1, "  missing.dat   ");
              char title[100];
              static const FormatTable a_format = compile_format("(A)");
              ReadStatement{unit(1), &a_format}.character(title, sizeof title);
            }),
            -1);
  EXPECT_TRUE(std::filesystem::exists("missing.dat"));
  EXPECT_EQ(console.errors(),
            "? FORTRAN Runtime Error:\n? Attempt to read past end of file\n? READ(UNIT=1,...\n"
            "? in missing.dat, line 1\n");
}

TEST(Files, BlankNameIsRefused) {
  ConsoleCapture console;
  EXPECT_EQ(run_to_end([] { open_unit(1, std::string(100, ' ')); }), -1);
  EXPECT_EQ(console.errors(),
            "? FORTRAN Runtime Error:\n? Bad file specification\n? OPEN(UNIT=1,...\n");
}

TEST(Files, AFileThatCannotBeOpenedForWritingIsASystemError) {
  ConsoleCapture console;
  TempDirectory directory;
  std::filesystem::create_directory("adir");  // opens for reading, never for writing
  EXPECT_EQ(run_to_end([] { open_unit(1, "adir"); }), -1);
  EXPECT_EQ(console.errors(), "? System Error:\n? Access Denied.\n? OPEN(UNIT=1,...\n");
}

TEST(Files, RewritingALongerFileLeavesOnlyTheNewRecords) {
  ConsoleCapture console;
  TempDirectory directory;
  TempDirectory::write("LOADS.TXT", std::string(20000, 'z'));
  open_unit(10, "LOADS.TXT");
  WriteStatement{unit(10)}.character(" PCA");
  close_unit(10);
  EXPECT_EQ(TempDirectory::read("LOADS.TXT"), "  PCA\r\n");
  // Bigger than one transfer buffer: the cut follows the first block.
  open_unit(10, "LOADS.TXT");
  for (int i = 0; i < 3000; ++i) WriteStatement{unit(10)}.integer(i);
  close_unit(10);
  const std::string text = TempDirectory::read("LOADS.TXT");
  EXPECT_EQ(text.substr(0, 5), "   0\r");
  EXPECT_EQ(text.substr(text.size() - 8), "  2999\r\n");
  EXPECT_EQ(text.find('z'), std::string::npos);
}

TEST(Files, ReadsRecordsWithTabsAndCarriageReturns) {
  ConsoleCapture console;
  TempDirectory directory;
  TempDirectory::write("d.dat", "title\r\n3\t4\r\n1,2\n");
  ::setenv("TABSIZE", "4", 1);
  open_unit(1, "d.dat");
  ::unsetenv("TABSIZE");
  static const FormatTable a_format = compile_format("(A)");
  char title[8];
  ReadStatement{unit(1), &a_format}.character(title, sizeof title);
  EXPECT_EQ(std::string(title, 8), "title   ");
  static const FormatTable line_format = compile_format("(A)");
  char line[8];
  ReadStatement{unit(1), &line_format}.character(line, sizeof line);
  EXPECT_EQ(std::string(line, 8), "3   4   ");
  int32_t a = 0, b = 0;
  ReadStatement{unit(1)}.integer(a).integer(b);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
}

TEST(Files, LastLineWithoutLineEndCannotBeRead) {
  ConsoleCapture console;
  TempDirectory directory;
  TempDirectory::write("d.dat", "1 2\n3 4");
  open_unit(1, "d.dat");
  int32_t a = 0;
  ReadStatement{unit(1)}.integer(a);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(run_to_end([&] { ReadStatement{unit(1)}.integer(a); }), -1);
  EXPECT_NE(console.errors().find("past end of file"), std::string::npos);
}

TEST(Files, CloseKeepsOrDeletesAndUnitsWithoutOpenUseFortN) {
  ConsoleCapture console;
  TempDirectory directory;
  close_unit(33);  // not connected: nothing happens
  WriteStatement{unit(7)}.integer(1);
  close_unit(7);
  EXPECT_EQ(TempDirectory::read("fort.7"), "   1\r\n");
  open_unit(8, "gone.txt");
  WriteStatement{unit(8)}.integer(1);
  close_unit(8, "DELETE");
  EXPECT_FALSE(std::filesystem::exists("gone.txt"));
  EXPECT_EQ(run_to_end([] { close_unit(9, "MAYBE"); }), -1);
  EXPECT_NE(console.errors().find("Bad iolist specifier"), std::string::npos);
}

TEST(Files, FatalErrorKeepsWhatWasWritten) {
  ConsoleCapture console;
  TempDirectory directory;
  open_unit(10, "LOADS.TXT");
  WriteStatement{unit(10)}.integer(4);
  int32_t v;
  EXPECT_EQ(run_to_end([&] { ReadStatement{kConsole}.integer(v); }), -1);
  EXPECT_EQ(TempDirectory::read("LOADS.TXT"), "   4\r\n");
}

// Reals converted elsewhere (in groups, as another thread would) join a
// list-directed record as the same items one by one: the same bytes over
// several 64 KiB pieces, the blank before a following character item, and
// the same report when the record outgrows the unit's limit.
TEST(Files, ConvertedItemsJoinTheRecordAsItemsOneByOne) {
  std::mt19937 random(15);
  std::vector<float> values(20000);
  for (float& v : values) {
    const uint32_t r = static_cast<uint32_t>(random());
    v = r % 7 == 0 ? -1.0f : std::ldexp(static_cast<float>(r % 2000000) - 1e6f, r % 40 - 30);
  }
  // Writes the values to `name` one by one or in converted groups, on a
  // unit whose records may hold `limit` bytes; returns the report.
  auto write = [&values](const char* name, bool converted, int32_t limit,
                         std::string_view control = "LIST") {
    ConsoleCapture console;
    OpenSpecifiers specifiers;
    specifiers.carriage_control = control;
    open_unit(3, name, specifiers);
    find_unit(3)->record_limit = limit;
    run_to_end([&] {
      WriteStatement record(unit(3));
      std::vector<char> text(1000 * kListRealRoom);
      for (size_t first = 0; first < values.size(); first += 1000) {
        if (!converted) {
          for (size_t i = first; i < first + 1000; ++i) record.real(values[i]);
          continue;
        }
        record.list_items({text.data(), list_reals_text(&values[first], 1000, text.data())});
      }
      record.character("END");
    });
    close_unit(3);
    return console.errors();
  };
  TempDirectory directory;
  EXPECT_EQ(write("one.txt", false, kNoRecordLimit), "");
  EXPECT_EQ(write("converted.txt", true, kNoRecordLimit), "");
  const std::string one = TempDirectory::read("one.txt");
  EXPECT_GT(one.size(), 3 * kOutputPieceSize);
  EXPECT_EQ(one.substr(one.size() - 6), " END\r\n");
  EXPECT_TRUE(TempDirectory::read("converted.txt") == one);
  // With carriage control the record stays whole until its end.
  EXPECT_EQ(write("one.txt", false, kNoRecordLimit, "FORTRAN"), "");
  EXPECT_EQ(write("converted.txt", true, kNoRecordLimit, "FORTRAN"), "");
  EXPECT_TRUE(TempDirectory::read("converted.txt") == TempDirectory::read("one.txt"));
  const std::string report = "? FORTRAN Runtime Error:\n? " +
                             std::string(runtime_message(kRecordTooLong)) +
                             "\n? WRITE(UNIT=3,...\n";
  EXPECT_EQ(write("one.txt", false, 100000), report);
  EXPECT_EQ(write("converted.txt", true, 100000), report);
}

TEST(Units, NegativeUnitsAndUnitDirection) {
  ConsoleCapture console;
  int32_t minus_two = -2;
  IoStatement statement{&minus_two, 0, nullptr, nullptr};
  EXPECT_EQ(run_to_end([&] { begin_write(statement); }), -1);
  EXPECT_NE(console.errors().find("Negative unit specifiers are not permitted"), std::string::npos);
  ConsoleCapture again;
  EXPECT_EQ(run_to_end([] { WriteStatement{unit(5)}.integer(1); }), -1);
  EXPECT_NE(again.errors().find("File not open for write\n? WRITE(UNIT=5,..."), std::string::npos);
}

TEST(Allocate, ZeroFilledEmptyAndRepeated) {
  ConsoleCapture console;
  ArrayDescriptor a;
  a.type_code = kItemReal4;
  a.set_rank(2);
  a.dims[0].extent = 3;
  a.dims[1].extent = 4;
  ArrayDescriptor empty;
  empty.type_code = kItemInteger4;
  empty.set_rank(1);
  empty.dims[0].extent = -5;
  ArrayDescriptor* list[] = {&a, &empty};
  allocate(list);
  ASSERT_TRUE(a.allocated());
  EXPECT_EQ(a.size_bits, 12u * 4u * 8u);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(static_cast<float*>(a.base)[i], 0.0f);
  EXPECT_EQ(empty.base, reinterpret_cast<void*>(static_cast<intptr_t>(-1)));
  int32_t stat = 0;
  allocate(list, &stat);
  EXPECT_EQ(stat, kAlreadyAllocated);
  deallocate(list);
  EXPECT_FALSE(a.allocated());
  EXPECT_FALSE(empty.allocated());
  deallocate(list, &stat);
  EXPECT_EQ(stat, kDeallocateUnallocated);
  ArrayDescriptor huge;
  huge.type_code = kItemReal4;
  huge.set_rank(2);
  huge.dims[0].extent = int64_t{1} << 40;
  huge.dims[1].extent = int64_t{1} << 40;
  ArrayDescriptor* huge_list[] = {&huge};
  EXPECT_EQ(run_to_end([&] { allocate(huge_list); }), -1);
  EXPECT_NE(console.errors().find("Buffer allocation failed"), std::string::npos);
}

TEST(CharacterAssignment, CopiesCutsPadsAndOverlaps) {
  char name[100];
  assign_character(name, sizeof name, "LOADS.TXT", 9);
  EXPECT_EQ(std::string(name, 100), "LOADS.TXT" + std::string(91, ' '));
  char cut[4];
  assign_character(cut, sizeof cut, "MATRIX.DIS", 10);
  EXPECT_EQ(std::string(cut, 4), "MATR");
  char overlap[8] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
  assign_character(overlap + 2, 6, overlap, 6);
  EXPECT_EQ(std::string(overlap, 8), "ababcdef");
}

TEST(Messages, TablesHoldEveryRuntimeCode) {
  for (int32_t code = kFirstRuntimeCode; code <= kLastRuntimeCode; ++code) {
    EXPECT_FALSE(runtime_message(code).empty()) << code;
  }
  EXPECT_EQ(runtime_message(10070), "Runtime memory allocation fails");
  EXPECT_EQ(system_message(5), "Access Denied.");
  EXPECT_EQ(system_message(206), "The file name or extension is too long.");
  EXPECT_EQ(statement_name(7), "ENDFILE");
}

}  // namespace
}  // namespace textio
