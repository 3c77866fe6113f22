// The command line of the console program: none (the dialogue), a data file
// with its answers as options, or --help and --version.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tova::app {

struct CommandLine {
  enum class Action { kDialogue, kRun, kHelp, kVersion, kUsageError };
  Action action = Action::kDialogue;
  std::string data_file;
  int32_t gower_option = 0;  // --gower: 1, --no-gower (the default): 0
  std::string output_dir;    // empty: the current directory
  std::string error;         // what is wrong, for kUsageError
};

// Reads the arguments after the program name; looks at nothing else.
CommandLine parse_command_line(const std::vector<std::string>& arguments);

// Exit status of a command line that cannot be carried out.
inline constexpr int kUsageStatus = 2;

// Carries out the command line: the dialogue or a run never return (the run
// ends the process); help and version return 0, a wrong command line its
// message on standard error and kUsageStatus, before any file is touched.
int run_command_line(int argc, char** argv);

}  // namespace tova::app
