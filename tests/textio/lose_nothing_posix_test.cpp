// Failures that must lose nothing, on POSIX: result files replaced only
// when complete (a write or a close that fails, a termination signal), the
// data file opened as it must be, files known under any of their names, and
// the limits that keep bad input from eating memory.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/capture.h"
#include "textio/allocate.h"
#include "textio/console_hooks.h"
#include "textio/file_layer.h"
#include "textio/format_table.h"
#include "textio/io_api.h"
#include "textio/io_error.h"
#include "textio/statement.h"
#include "textio/testing.h"

namespace textio {
namespace {

using testing::ConsoleCapture;
using testing::run_to_end;
using testing::TempDirectory;

namespace fs = std::filesystem;

OpenSpecifiers replace_status() {
  OpenSpecifiers specifiers;
  specifiers.status = "REPLACE";
  return specifiers;
}

// Every name in the current directory, to see that no partial file stays.
std::vector<std::string> directory_names() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(".")) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void write_old_loads() {
  TempDirectory::write("LOADS.TXT", "old\r\n");
  ::chmod("LOADS.TXT", 0640);
}

// Writes `records` records of 100 characters to LOADS.TXT (REPLACE) and
// closes it, in a child whose files may not grow past `size_limit` bytes;
// the child's report must match `report`.
void write_loads_limited(int records, rlim_t size_limit, const std::string& report) {
  EXPECT_EXIT(
      {
        reset_runtime_for_tests();
        struct rlimit limited {};
        ::getrlimit(RLIMIT_FSIZE, &limited);
        limited.rlim_cur = size_limit;
        ::setrlimit(RLIMIT_FSIZE, &limited);
        open_unit(10, "LOADS.TXT", replace_status());
        for (int i = 0; i < records; ++i) WriteStatement{unit(10)}.character(std::string(100, 'n'));
        close_unit(10);
        ::_exit(0);
      },
      ::testing::ExitedWithCode(255), report);
}

// A record that cannot be written fails in the statement's destructor,
// which the tests' throwing exit seam cannot reach: the report names the
// WRITE and the run ends with -1.
TEST(ResultFilesDeathTest, ARecordEndFailingInTheDestructorIsReported) {
  EXPECT_EXIT(
      {
        reset_runtime_for_tests();
        open_unit(10, "/dev/full");
        WriteStatement{unit(10)}.character("x");
        ::_exit(0);
      },
      ::testing::ExitedWithCode(255),
      "^\\? System Error:\n\\? There is not enough space on the disk\\.\n"
      "\\? WRITE\\(UNIT=10,\\.\\.\\.\n$");
}

// A failure while the run is already ending (here in the finish hook of a
// report) ends the process at once instead of reporting again.
TEST(ResultFilesDeathTest, AFailureWhileEndingExitsAtOnce) {
  EXPECT_EXIT(
      {
        reset_runtime_for_tests();
        ConsoleHooks hooks;
        hooks.finish = [](int32_t) { fatal_data_error("second"); };
        install_console_hooks(hooks);
        fatal_data_error("first");
      },
      ::testing::ExitedWithCode(255), "^\\? Data Error:\n\\? first\n\\? [A-Z]+\\(UNIT=[^\n]*\n$");
}

TEST(ResultFilesDeathTest, AFailedWriteLeavesTheOldFileAsItWas) {
  TempDirectory directory;
  write_old_loads();
  // The second 8192-byte block passes the limit.
  write_loads_limited(200, 10000,
                      R"(The file size exceeds the limit allowed and cannot be saved\.\s+)"
                      R"(\? WRITE\(UNIT=10,)");
  EXPECT_EQ(TempDirectory::read("LOADS.TXT"), "old\r\n");
  EXPECT_EQ(directory_names(), std::vector<std::string>{"LOADS.TXT"});
}

TEST(ResultFilesDeathTest, AFailureAtCloseLeavesTheOldFileAsItWas) {
  TempDirectory directory;
  write_old_loads();
  // Every byte goes out at CLOSE.
  write_loads_limited(3, 100, R"(cannot be saved\.\s+\? CLOSE\(UNIT=10,)");
  EXPECT_EQ(TempDirectory::read("LOADS.TXT"), "old\r\n");
  EXPECT_EQ(directory_names(), std::vector<std::string>{"LOADS.TXT"});
}

TEST(ResultFiles, ACompleteFileReplacesTheOldOneWithItsPermissions) {
  ConsoleCapture console;
  TempDirectory directory;
  write_old_loads();
  open_unit(10, "LOADS.TXT", replace_status());
  WriteStatement{unit(10)}.integer(7);
  EXPECT_EQ(TempDirectory::read("LOADS.TXT"), "old\r\n");  // nothing replaced before CLOSE
  close_unit(10);
  EXPECT_EQ(TempDirectory::read("LOADS.TXT"), "   7\r\n");
  struct stat info {};
  ASSERT_EQ(::stat("LOADS.TXT", &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(directory_names(), std::vector<std::string>{"LOADS.TXT"});
  // A fatal error elsewhere discards the file being written.
  open_unit(2, "MATRIX.DIS", replace_status());
  WriteStatement{unit(2)}.integer(1);
  int32_t v;
  EXPECT_EQ(run_to_end([&] { ReadStatement{kConsole}.integer(v); }), -1);
  EXPECT_EQ(directory_names(), std::vector<std::string>{"LOADS.TXT"});
}

TEST(ResultFilesDeathTest, TerminationRemovesThePartialFile) {
  TempDirectory directory;
  write_old_loads();
  EXPECT_EXIT(
      {
        open_unit(10, "LOADS.TXT", replace_status());
        for (int i = 0; i < 200; ++i) WriteStatement{unit(10)}.character(std::string(100, 'n'));
        ::raise(SIGTERM);
      },
      ::testing::KilledBySignal(SIGTERM), "");
  EXPECT_EQ(TempDirectory::read("LOADS.TXT"), "old\r\n");
  EXPECT_EQ(directory_names(), std::vector<std::string>{"LOADS.TXT"});
}

TEST(DataFile, MustExistAndIsReadOnlyWhenNotARegularFile) {
  ConsoleCapture console;
  TempDirectory directory;
  OpenSpecifiers old;
  old.status = "OLD";
  EXPECT_EQ(run_to_end([&] { open_unit(1, "absent.dat", old); }), -1);
  EXPECT_EQ(console.errors(),
            "? System Error:\n? The system cannot find the file specified.\n? OPEN(UNIT=1,...\n");
  EXPECT_FALSE(fs::exists("absent.dat"));
  // A FIFO opened for writing too would never see the end of its data.
  ConsoleCapture again;
  ASSERT_EQ(::mkfifo("pipe", 0600), 0);
  if (::fork() == 0) {
    std::ofstream("pipe") << "title\n";
    ::_exit(0);
  }
  open_unit(1, "pipe", old);
  char title[5];
  static const FormatTable a_format = compile_format("(A)");
  ReadStatement{unit(1), &a_format}.character(title, sizeof title);
  int32_t n = 0;
  EXPECT_EQ(run_to_end([&] { ReadStatement{unit(1)}.integer(n); }), -1);
  ::wait(nullptr);
  EXPECT_NE(again.errors().find("Attempt to read past end of file\n? READ(UNIT=1,...\n"
                                "? in pipe, line 2\n"),
            std::string::npos);
}

TEST(DataFile, IsKnownUnderAnyOfItsNames) {
  ConsoleCapture console;
  TempDirectory directory;
  TempDirectory::write("data.dat", "x\n");
  TempDirectory::write("other.dat", "x\n");
  fs::create_hard_link("data.dat", "LOADS.TXT");
  fs::create_symlink("data.dat", "MATRIX.DIS");
  open_unit(1, "data.dat");
  EXPECT_TRUE(unit_is_file(1, "LOADS.TXT"));
  EXPECT_TRUE(unit_is_file(1, "MATRIX.DIS"));
  EXPECT_FALSE(unit_is_file(1, "other.dat"));
  EXPECT_FALSE(unit_is_file(1, "absent.dat"));
  EXPECT_FALSE(unit_is_file(2, "data.dat"));
}

TEST(Limits, AnInputRecordPastOneGibibyteFailsWithItsLine) {
  ConsoleCapture console;
  TempDirectory directory;
  // 262145 tabs of 4096 columns: 4096 bytes past the limit.
  TempDirectory::write("tabs.dat", "title\n" + std::string(262145, '\t') + "\n");
  ::setenv("TABSIZE", "4096", 1);
  open_unit(1, "tabs.dat");
  ::unsetenv("TABSIZE");
  ReadStatement{unit(1)};
  EXPECT_EQ(run_to_end([] { ReadStatement{unit(1)}; }), -1);
  EXPECT_EQ(console.errors(),
            "? FORTRAN Runtime Error:\n? Input record longer than 1073741824 bytes\n"
            "? READ(UNIT=1,...\n? in tabs.dat, line 2\n");
}

TEST(Limits, ArraysTheMachineCannotHoldAreRefusedBeforeUse) {
  // Each of two arrays fits; both together do not. Overcommit would grant
  // both and let the process be killed once it touches them.
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the sanitizer maps shadow memory for the first array: gigabytes";
#endif
  const uint64_t limit = platform::memory_limit();
  ASSERT_GT(limit, 0u);
  ArrayDescriptor first = ArrayDescriptor{};
  first.type_code = kItemReal4;
  first.set_rank(1);
  first.dims[0].extent = static_cast<int64_t>(limit / 4 / 5 * 3);
  ArrayDescriptor second = first;
  ArrayDescriptor* first_list[] = {&first};
  ArrayDescriptor* second_list[] = {&second};
  int32_t stat = -1;
  allocate(first_list, &stat);
  ASSERT_EQ(stat, 0);
  allocate(second_list, &stat);
  EXPECT_EQ(stat, kBufferAllocationFailed);
  EXPECT_FALSE(second.allocated());
  deallocate(first_list);
  allocate(second_list, &stat);  // what is released counts no more
  EXPECT_EQ(stat, 0);
  deallocate(second_list);
}

}  // namespace
}  // namespace textio
