// Error reports, STOP and the other ways the run ends.
#include "textio/report.h"

#include <string>

#include "textio/console_hooks.h"
#include "textio/io_api.h"
#include "textio/io_error.h"
#include "textio/run_end.h"
#include "textio/testing.h"
#include "textio/units.h"

namespace textio {
namespace {

void write_error_line(std::string_view text) {
  int32_t count = static_cast<int32_t>(text.size());
  console_hooks().write(text.data(), &count, kStdErrorHandle);
}

bool g_ending = false;

}  // namespace

void fatal_report(std::string_view header, std::string_view message, bool statement_line,
                  std::string_view where) {
  if (g_ending) exit_process(-1);
  g_ending = true;
  IoContext& c = context();
  const std::string unit = c.default_unit ? "*" : std::to_string(c.unit_number);
  const std::string_view name = statement_name(c.kind);
  const std::string place(where);  // it may name a unit that closing frees
  c.active = false;                // the statement in progress ends with the process
  close_everything(false);
  c.record.clear();
  write_error_line("? " + std::string(header) + "\n");
  write_error_line("? " + std::string(message) + "\n");
  if (statement_line) {
    write_error_line("? " + std::string(name) + "(UNIT=");
    write_error_line(unit + ",...\n");
  }
  if (!place.empty()) write_error_line("? " + place + "\n");
  console_hooks().finish(-1);
  exit_process(-1);
}

int32_t report_failure(IoContext& c, int32_t code) {
  if (c.status != nullptr) {
    *c.status = code == kReadPastEndOfFile                 ? kIostatEndOfFile
                : code == kReadPastEndOfRecordNonAdvancing ? kIostatEndOfRecord
                                                           : code;
  }
  const bool end_branch = code == kReadPastEndOfFile && (c.handler_flags & kEndBranch) != 0;
  if ((c.handler_flags & kErrBranch) != 0 || end_branch) {
    c.record.clear();
    c.active = false;
    return end_branch ? 2 : 1;
  }
  if (c.status != nullptr) {
    c.failed = true;
    c.record.clear();
    return 1;
  }
  // A READ from a file names the record, so that a bad token can be found.
  std::string where;
  if (c.kind == kRead && c.unit != nullptr && !c.unit->is_console()) {
    where = "in " + c.unit->name + ", line " + std::to_string(c.unit->record_number);
  }
  if (code >= kFirstRuntimeCode && code <= kLastRuntimeCode) {
    fatal_report("FORTRAN Runtime Error:", runtime_message(code), true, where);
  }
  const std::string_view text = system_message(code);
  fatal_report("System Error:",
               text.empty() ? "System error code " + std::to_string(code) + "." : std::string(text),
               true, where);
}

void allocation_failed() {
  fatal_report("FORTRAN Runtime Error:", runtime_message(kBufferAllocationFailed), false);
}

void fatal_data_error(std::string_view message) {
  fatal_report("Data Error:", message);
}

void stop(std::string_view code) {
  if (g_ending) exit_process(0);
  g_ending = true;
  IoContext& c = context();
  c.active = false;
  write_error_line(code.empty() ? " STOP" : " STOP ");
  if (!code.empty()) write_error_line(code);
  write_error_line("\n");
  close_everything(true);
  c.record.clear();
  console_hooks().finish(0);
  exit_process(0);
}

void end_run() {
  if (g_ending) exit_process(0);
  g_ending = true;
  close_everything(false);  // the run was cut short: no result file is replaced
  context().record.clear();
  console_hooks().finish(0);
  exit_process(0);
}

void normal_exit(int32_t status) {
  exit_hooks().finish(status);
  exit_process(status);
}

void reset_runtime_for_tests() {
  forget_everything();
  g_ending = false;
}

}  // namespace textio
