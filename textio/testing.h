// Seams for the run-time's tests; the program never calls them.
#pragma once

#include <cstdint>

namespace textio {

// Forgets every unit and buffer without closing them, and that a run has
// ended, so that one test process can run many.
void reset_runtime_for_tests();

// The exit seam every end of a run goes through. Tests install one (for
// example one that throws) to observe the end of a run; nullptr restores
// the process's own exit.
using ProcessExit = void (*)(int32_t status);
void set_process_exit(ProcessExit exit_function);

}  // namespace textio
