// tova on the console streams: the analysis program with the run-time's
// default console hooks, or its command line (app/command_line.h).
#include <cfenv>
#include <csignal>
#include <string_view>

#include "app/command_line.h"
#include "app/export.h"

int main(int argc, char** argv) {
  // Round to nearest with every floating-point exception masked (the
  // default here, set explicitly because the results depend on it).
  std::fesetround(FE_TONEAREST);
  std::fenv_t environment;
  std::feholdexcept(&environment);
#ifdef SIGPIPE
  // A closed output pipe is a failed write, reported like any other.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  // Subcommands come before the analysis's own arguments.
  if (argc > 1 && std::string_view(argv[1]) == "export")
    return tova::run_export(argc - 1, argv + 1);
  return tova::app::run_command_line(argc, argv);
}
