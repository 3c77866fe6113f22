// Options are looked at before anything is read or written: a wrong command
// line leaves no trace but its message.
#include "app/command_line.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "analysis/driver.h"
#include "tova_version.h"

namespace tova::app {
namespace {

constexpr std::string_view kUsage =
    "Usage: tova\n"
    "       tova DATAFILE [--gower | --no-gower] [--output-dir DIR]\n"
    "       tova export MATRIX.DIS --format phylip|csv|lsmat [--labels FILE] [-o OUT]\n"
    "       tova export LOADS.TXT --format csv [--labels FILE] [-o OUT]\n"
    "       tova --help | --version\n";

constexpr std::string_view kHelp =
    "\n"
    "Without arguments tova asks two questions on the terminal:\n"
    "  ENTER FILENAME FOR INPUT DATA                the data file's name\n"
    "  ENTER 1 FOR COMPUTING GOWER DISSIMILARITIES  1 to write MATRIX.DIS, any other\n"
    "                                               whole number not to\n"
    "With DATAFILE it runs the same analysis without asking:\n"
    "  --gower           answer 1: compute the Gower dissimilarities (MATRIX.DIS)\n"
    "  --no-gower        answer 0: no Gower dissimilarities (the default)\n"
    "  --output-dir DIR  write LOADS.TXT and MATRIX.DIS in DIR, not in the\n"
    "                    current directory\n"
    "  --help            show this text\n"
    "  --version         show the version\n"
    "tova export copies a result file's values, as they stand, into a labelled\n"
    "PHYLIP, CSV or lsmat file (labels from FILE, one per line; else 1..n).\n"
    "\n"
    "The listings and the eigenanalysis go to standard output; the loadings to\n"
    "LOADS.TXT and, when asked for, the Gower semimatrix to MATRIX.DIS.\n"
    "\n"
    "Exit status:\n"
    "  0    the run is complete (its last line, \" STOP\", is on standard error)\n"
    "  255  the run failed: a missing or malformed data file, a wrong answer,\n"
    "       too little memory; a three-line report beginning with \"?\" is on\n"
    "       standard error and result files already written are complete\n"
    "  2    a wrong command line (nothing read or written)\n"
    "       (tova export: 0 done, 1 failed, the reason on standard error)\n"
    "\n"
    "Environment:\n"
    "  TABSIZE  columns between tab stops in the data file and the answers\n"
    "           (8 when unset)\n";

void put(std::FILE* stream, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stream);
}

CommandLine usage_error(std::string error) {
  CommandLine wrong;
  wrong.action = CommandLine::Action::kUsageError;
  wrong.error = std::move(error);
  return wrong;
}

}  // namespace

CommandLine parse_command_line(const std::vector<std::string>& arguments) {
  CommandLine line;
  if (arguments.empty()) return line;
  bool options_end = false;
  bool have_file = false;
  bool output_dir_given = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (options_end || a.empty() || a[0] != '-' || a == "-") {
      if (have_file) return usage_error("one data file only: '" + a + "'");
      line.data_file = a;
      have_file = true;
    } else if (a == "--") {
      options_end = true;
    } else if (a == "--help" || a == "-h") {
      line.action = CommandLine::Action::kHelp;
      return line;
    } else if (a == "--version") {
      line.action = CommandLine::Action::kVersion;
      return line;
    } else if (a == "--gower") {
      line.gower_option = 1;
    } else if (a == "--no-gower") {
      line.gower_option = 0;
    } else if (a == "--output-dir") {
      if (i + 1 == arguments.size()) return usage_error("--output-dir needs a directory");
      line.output_dir = arguments[++i];
      output_dir_given = true;
    } else if (a.starts_with("--output-dir=")) {
      line.output_dir = a.substr(std::string_view("--output-dir=").size());
      output_dir_given = true;
    } else {
      return usage_error("unknown option '" + a + "'");
    }
  }
  if (!have_file) return usage_error("no data file named");
  if (output_dir_given && line.output_dir.empty()) {
    return usage_error("--output-dir needs a directory");
  }
  line.action = CommandLine::Action::kRun;
  return line;
}

int run_command_line(int argc, char** argv) {
  CommandLine line = parse_command_line(std::vector<std::string>(argv + (argc > 0), argv + argc));
  switch (line.action) {
    case CommandLine::Action::kDialogue:
      run_analysis();
    case CommandLine::Action::kHelp:
      put(stdout, kUsage);
      put(stdout, kHelp);
      return 0;
    case CommandLine::Action::kVersion:
      put(stdout, std::string("tova ") + kVersion + "\n");
      return 0;
    case CommandLine::Action::kUsageError:
      put(stderr, "tova: " + line.error + "\n");
      put(stderr, kUsage);
      put(stderr, "Try 'tova --help' for more.\n");
      return kUsageStatus;
    case CommandLine::Action::kRun:
      break;
  }
  // Forgiving as a typed answer is.
  line.data_file = std::string(unquoted_file_name(line.data_file));
  if (!line.output_dir.empty()) {
    // The data file is named from where tova started; the result files are
    // written in the current directory, which becomes DIR.
    namespace fs = std::filesystem;
    std::error_code failed;
    if (!fs::is_directory(line.output_dir, failed)) {
      put(stderr, "tova: --output-dir " + line.output_dir + ": not a directory\n");
      return kUsageStatus;
    }
    if (line.data_file.find_first_not_of(' ') != std::string::npos) {
      line.data_file = fs::absolute(line.data_file, failed).string();
    }
    if (!failed) fs::current_path(line.output_dir, failed);
    if (failed) {
      put(stderr, "tova: --output-dir " + line.output_dir + ": " + failed.message() + "\n");
      return kUsageStatus;
    }
  }
  run_analysis(RunAnswers{line.data_file, line.gower_option});
}

}  // namespace tova::app
