// Whole runs of the built program, compared byte for byte with golden files.
//
// Each case is a folder tests/golden/<case>/ holding
//   answers.txt      the two lines typed at the prompts (standard input)
//   input/           files present in the working directory before the run
//   expected/stdout.txt, expected/stderr.txt, expected/status.txt
//   expected/files/  every file of the working directory after the run
// The example data set of examples/ is run the same way.
//
// TOVA_UPDATE_GOLDEN=1 rewrites the expected files from the program's output
// instead of comparing (review the differences before committing them).
//
// Every case is also run with each set of vector bodies and 1, 2 and 3
// worker threads (TOVA_SIMD, TOVA_THREADS): the bytes must not change. A set
// the processor cannot run falls back to the widest it can.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/driver.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSource = TOVA_SOURCE_DIR;
const fs::path kProgram = fs::path(TOVA_BINARY_DIR) / "tova";

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void write_file(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::map<std::string, std::string> files_in(const fs::path& folder) {
  std::map<std::string, std::string> files;
  if (!fs::exists(folder)) return files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) files[entry.path().filename().string()] = read_file(entry.path());
  }
  return files;
}

bool updating() {
  const char* flag = std::getenv("TOVA_UPDATE_GOLDEN");
  return flag != nullptr && std::string(flag) == "1";
}

// Shows where two byte strings part, with the line around it.
std::string first_difference(const std::string& expected, const std::string& actual) {
  size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  const size_t line_start = expected.rfind('\n', at == 0 ? 0 : at - 1);
  const size_t from = line_start == std::string::npos ? 0 : line_start + 1;
  auto excerpt = [&](const std::string& s) {
    return from < s.size() ? s.substr(from, std::min<size_t>(160, s.size() - from)) : "";
  };
  return "bytes differ at offset " + std::to_string(at) + "\nexpected: [" + excerpt(expected) +
         "]\nactual:   [" + excerpt(actual) + "]";
}

struct Outcome {
  std::string stdout_bytes, stderr_bytes;
  int status = -999;
  std::map<std::string, std::string> files;
  std::map<std::string, std::string> out_files;  // of the folder ../out
};

// `arguments` go to the shell as they are; `environment`: assignments put
// before the program in the shell command.
Outcome run_program(const std::map<std::string, std::string>& inputs, const std::string& answers,
                    const std::string& name, const std::string& arguments = "",
                    const std::string& environment = "") {
  const fs::path work =
      fs::temp_directory_path() / ("tova_golden_" + name + "_" + std::to_string(::getpid()));
  fs::remove_all(work);
  fs::create_directories(work / "run");
  fs::create_directories(work / "out");
  for (const auto& [file, bytes] : inputs) write_file(work / "run" / file, bytes);
  write_file(work / "answers.txt", answers);
  const std::string command = "cd '" + (work / "run").string() + "' && " + environment + "'" +
                              kProgram.string() + "' " + arguments +
                              " < ../answers.txt > ../stdout.txt 2> ../stderr.txt";
  const int wait_status = std::system(command.c_str());
  Outcome out;
  out.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1000;
  out.stdout_bytes = read_file(work / "stdout.txt");
  out.stderr_bytes = read_file(work / "stderr.txt");
  out.files = files_in(work / "run");
  out.out_files = files_in(work / "out");
  fs::remove_all(work);
  return out;
}

void compare_bytes(const std::string& what, const std::string& expected,
                   const std::string& actual) {
  if (expected != actual) ADD_FAILURE() << what << ": " << first_difference(expected, actual);
}

// The console output of a run whose answers were given ahead.
std::string without_prompts(std::string bytes) {
  for (const std::string prompt : {"  ENTER FILENAME FOR INPUT DATA\r\n",
                                   "  ENTER 1 FOR COMPUTING GOWER DISSIMILARITIES \r\n"}) {
    if (const size_t at = bytes.find(prompt); at != std::string::npos)
      bytes.erase(at, prompt.size());
  }
  return bytes;
}

// Compares a run with the expected folder (or rewrites it).
void check_case(const fs::path& expected_dir, const Outcome& out,
                const std::vector<std::string>& compared_files, bool prompted = true) {
  if (updating() && prompted) {
    write_file(expected_dir / "stdout.txt", out.stdout_bytes);
    write_file(expected_dir / "stderr.txt", out.stderr_bytes);
    write_file(expected_dir / "status.txt", std::to_string(out.status) + "\n");
    if (compared_files.empty()) {
      fs::remove_all(expected_dir / "files");
      for (const auto& [file, bytes] : out.files) write_file(expected_dir / "files" / file, bytes);
    } else {
      for (const auto& file : compared_files) {
        if (out.files.count(file)) write_file(expected_dir / file, out.files.at(file));
      }
    }
    return;
  }
  const std::string expected_stdout = read_file(expected_dir / "stdout.txt");
  compare_bytes("stdout", prompted ? expected_stdout : without_prompts(expected_stdout),
                out.stdout_bytes);
  compare_bytes("stderr", read_file(expected_dir / "stderr.txt"), out.stderr_bytes);
  EXPECT_EQ(std::to_string(out.status) + "\n", read_file(expected_dir / "status.txt"));
  if (compared_files.empty()) {
    const auto expected_files = files_in(expected_dir / "files");
    for (const auto& [file, bytes] : expected_files) {
      if (!out.files.count(file)) {
        ADD_FAILURE() << "the run left no " << file;
      } else {
        compare_bytes(file, bytes, out.files.at(file));
      }
    }
    for (const auto& [file, bytes] : out.files) {
      if (!expected_files.count(file)) ADD_FAILURE() << "the run left an unexpected " << file;
    }
  } else {
    for (const auto& file : compared_files) {
      ASSERT_TRUE(out.files.count(file)) << "the run left no " << file;
      compare_bytes(file, read_file(expected_dir / file), out.files.at(file));
    }
  }
}

std::vector<std::string> golden_cases() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kSource / "tests" / "golden")) {
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class WholeRun : public ::testing::TestWithParam<std::string> {};

TEST_P(WholeRun, MatchesGoldenFiles) {
#ifdef _WIN32
  GTEST_SKIP() << "runs the console program through a POSIX shell";
#endif
  ASSERT_TRUE(fs::exists(kProgram)) << kProgram;
  const fs::path folder = kSource / "tests" / "golden" / GetParam();
  const Outcome out =
      run_program(files_in(folder / "input"), read_file(folder / "answers.txt"), GetParam());
  check_case(folder / "expected", out, {});
}

TEST_P(WholeRun, SameBytesOnEveryInstructionSetAndThreadCount) {
#ifdef _WIN32
  GTEST_SKIP() << "runs the console program through a POSIX shell";
#endif
  if (updating()) GTEST_SKIP() << "the expected files come from MatchesGoldenFiles";
  const fs::path folder = kSource / "tests" / "golden" / GetParam();
  for (const char* simd : {"generic", "avx2", "avx512"}) {
    for (const char* threads : {"1", "2", "3"}) {
      SCOPED_TRACE(std::string("TOVA_SIMD=") + simd + " TOVA_THREADS=" + threads);
      const std::string environment =
          std::string("TOVA_SIMD=") + simd + " TOVA_THREADS=" + threads + " ";
      check_case(folder / "expected",
                 run_program(files_in(folder / "input"), read_file(folder / "answers.txt"),
                             GetParam(), "", environment),
                 {});
    }
  }
}

// The same case with its answers on the command line: `tova FILE --gower`
// for the answer 1, `--no-gower` for any other whole number.
TEST_P(WholeRun, CommandLineRunsTheSameWithoutPrompts) {
#ifdef _WIN32
  GTEST_SKIP() << "runs the console program through a POSIX shell";
#endif
  const fs::path folder = kSource / "tests" / "golden" / GetParam();
  std::istringstream answers(read_file(folder / "answers.txt"));
  std::string file, gower;
  std::getline(answers, file);
  std::getline(answers, gower);
  int option = 0;
  try {
    size_t used = 0;
    option = std::stoi(gower, &used);
    if (gower.find_first_not_of(' ', used) != std::string::npos) throw std::invalid_argument(gower);
  } catch (const std::exception&) {
    GTEST_SKIP() << "the second answer is no whole number";
  }
  const std::string arguments = "'" + file + "' " + (option == 1 ? "--gower" : "--no-gower");
  const Outcome out = run_program(files_in(folder / "input"), "", GetParam(), arguments);
  check_case(folder / "expected", out, {}, false);
}

INSTANTIATE_TEST_SUITE_P(Golden, WholeRun, ::testing::ValuesIn(golden_cases()),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::replace_if(
                               name.begin(), name.end(), [](char c) { return !std::isalnum(c); },
                               '_');
                           return name;
                         });

TEST(ExampleDataSet, MatchesItsExpectedOutputs) {
#ifdef _WIN32
  GTEST_SKIP() << "runs the console program through a POSIX shell";
#endif
  ASSERT_TRUE(fs::exists(kProgram)) << kProgram;
  const fs::path examples = kSource / "examples";
  const std::string data = "meadow_survey.dat";
  const Outcome out = run_program({{data, read_file(examples / data)}}, data + "\n1\n", "example");
  check_case(examples / "expected", out, {"LOADS.TXT", "MATRIX.DIS"});
}

TEST(CommandLine, OutputDirGetsTheResultFiles) {
#ifdef _WIN32
  GTEST_SKIP() << "runs the console program through a POSIX shell";
#endif
  const fs::path examples = kSource / "examples";
  const std::string data = "meadow_survey.dat";
  Outcome out = run_program({{data, read_file(examples / data)}}, "", "output_dir",
                            data + " --output-dir ../out --gower");
  EXPECT_EQ(out.files.size(), 1u);
  EXPECT_EQ(out.stdout_bytes, without_prompts(read_file(examples / "expected" / "stdout.txt")));
  EXPECT_EQ(out.status, 0);
  for (const std::string file : {"LOADS.TXT", "MATRIX.DIS"}) {
    compare_bytes(file, read_file(examples / "expected" / file), out.out_files[file]);
  }
}

TEST(CommandLine, HelpAndVersionGoToStandardOutput) {
#ifdef _WIN32
  GTEST_SKIP() << "runs the console program through a POSIX shell";
#endif
  Outcome out = run_program({}, "", "help", "--help");
  EXPECT_EQ(out.status, 0);
  EXPECT_EQ(out.stderr_bytes, "");
  for (const char* part : {"Usage: tova\n", "--output-dir DIR", "Exit status", "TABSIZE"}) {
    EXPECT_NE(out.stdout_bytes.find(part), std::string::npos) << part;
  }
  out = run_program({}, "", "version", "--version");
  EXPECT_EQ(out.status, 0);
  EXPECT_TRUE(std::regex_match(out.stdout_bytes, std::regex("tova [0-9]+\\.[0-9]+\\.[0-9]+\n")))
      << out.stdout_bytes;
}

// A wrong command line says so on standard error, with status 2, and
// neither reads standard input nor creates nor writes any file.
TEST(CommandLine, WrongCommandLinesTouchNothing) {
#ifdef _WIN32
  GTEST_SKIP() << "runs the console program through a POSIX shell";
#endif
  for (const std::string arguments :
       {"--bogus", "d.dat -x", "d.dat --output-dir", "d.dat --output-dir=", "--gower",
        "d.dat e.dat", "d.dat --output-dir nowhere"}) {
    const Outcome out = run_program({{"LOADS.TXT", "old"}}, "d.dat\n1\n", "wrong", arguments);
    EXPECT_EQ(out.status, 2) << arguments;
    EXPECT_EQ(out.stdout_bytes, "") << arguments;
    EXPECT_EQ(out.stderr_bytes.rfind("tova: ", 0), 0u) << arguments << ": " << out.stderr_bytes;
    EXPECT_EQ(out.files, (std::map<std::string, std::string>{{"LOADS.TXT", "old"}})) << arguments;
  }
}

TEST(TypedFileName, LosesBlanksAndOnePairOfQuotes) {
  EXPECT_EQ(tova::unquoted_file_name("  \"my data.dat\"  "), "my data.dat");
  EXPECT_EQ(tova::unquoted_file_name("'a.dat'"), "a.dat");
  EXPECT_EQ(tova::unquoted_file_name("\"\"a.dat\"\""), "\"a.dat\"");
  EXPECT_EQ(tova::unquoted_file_name("\"a.dat'"), "\"a.dat'");
  EXPECT_EQ(tova::unquoted_file_name("\""), "\"");
  EXPECT_EQ(tova::unquoted_file_name("''"), "");
  EXPECT_EQ(tova::unquoted_file_name("   "), "   ");
}

}  // namespace
