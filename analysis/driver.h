// The analysis program's main routine.
#pragma once

namespace tova {

// One whole run: the two questions, the data file, the matrices, their
// listings and eigenanalysis, LOADS.TXT, on request MATRIX.DIS, then STOP.
// Never returns: the run ends the process through the run-time.
[[noreturn]] void run_analysis();

}  // namespace tova
