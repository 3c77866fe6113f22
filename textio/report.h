// Internal: the one funnel every failure goes through.
#pragma once

#include <cstdint>
#include <string_view>

namespace textio {

struct IoContext;

// Hands a failure of the current statement to its status variable or
// branch (returns 1, or 2 for end of file with END=), or ends the process
// with the three-line report.
int32_t report_failure(IoContext& c, int32_t code);

// Closes the files, writes "? <header>", "? <message>" and the statement
// line, calls finish(-1) and exits with -1. A failure inside ends at once.
// Without `statement_line` only the first two lines are written (failures
// raised outside any READ, WRITE, OPEN or CLOSE). `where`, when given, is
// one more line after them.
[[noreturn]] void fatal_report(std::string_view header, std::string_view message,
                               bool statement_line = true, std::string_view where = {});

}  // namespace textio
