// tova on the console streams: the analysis program with the run-time's
// default console hooks, or its command line (app/command_line.h).
#include <cfenv>
#include <csignal>

#include "app/command_line.h"

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
  // Subcommands are dispatched here, before the analysis's own arguments
  // (`tova export ...`: app/export.h; parse_command_line reserves "export").
  return tova::app::run_command_line(argc, argv);
}
