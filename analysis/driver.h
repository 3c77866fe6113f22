// The analysis program's main routine.
#pragma once

#include <cstdint>
#include <string_view>

namespace tova {

// The answers of a run given in advance (the command line): the questions
// are then neither shown nor read, and everything else is as in the dialogue.
struct RunAnswers {
  std::string_view data_file;  // opened as typed (blanks trimmed)
  int32_t gower_option = 0;    // 1: Gower dissimilarities and MATRIX.DIS
};

// One whole run: the two questions, the data file, the matrices, their
// listings and eigenanalysis, LOADS.TXT, on request MATRIX.DIS, then STOP.
// Never returns: the run ends the process through the run-time.
[[noreturn]] void run_analysis();
[[noreturn]] void run_analysis(const RunAnswers& answers);

// A typed file name without blanks around it and without one pair of
// surrounding double or single quotes (what dragging a file into a
// terminal or copying its path gives).
std::string_view unquoted_file_name(std::string_view typed);

}  // namespace tova
