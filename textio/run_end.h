// Every way a run ends, through one funnel: the files closed (a result file
// being replaced only after STOP), the report if any on standard error, the
// hooks' finish, and the exit through the seam of textio/testing.h. A
// failure while the run is already ending exits at once.
#pragma once

#include <cstdint>
#include <string_view>

namespace textio {

// STOP with its code text: " STOP " (or " STOP" for an empty code), the
// code and LF on standard error, files closed, finish(0), exit 0.
[[noreturn]] void stop(std::string_view code);
// Memory the run needs cannot be had (a failed allocation anywhere, caught
// by the program): the allocation report of ALLOCATE, units closed,
// finish(-1), exit -1.
[[noreturn]] void allocation_failed();
// A failure the analysis program detects in its own input (an unknown type
// code, a value that cannot be ranked). Takes the fatal road of a run-time
// error: files closed, "? Data Error:", "? " + message, the statement line
// of the last statement, finish(-1), exit -1.
[[noreturn]] void fatal_data_error(std::string_view message);
// Closes everything, finish(0), exit 0, writing nothing.
[[noreturn]] void end_run();
// The process entry's exit: the low-level finish, then exit with `status`.
[[noreturn]] void normal_exit(int32_t status);
// Ends the process through the exit seam (by default the process's own
// exit).
[[noreturn]] void exit_process(int32_t status);

}  // namespace textio
