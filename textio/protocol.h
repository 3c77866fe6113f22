// Internal: what the statement entry points share. Each entry point reaches
// the process's context once, opens its statement there and runs its steps
// guarded, passing the context down.
#pragma once

#include <cstdint>
#include <new>

#include "textio/io_api.h"
#include "textio/io_error.h"
#include "textio/report.h"
#include "textio/units.h"

namespace textio {

// Starts `statement` of `kind` in `c`; a statement a caller left open ends
// first.
void begin_statement(IoContext& c, const IoStatement& statement, int32_t kind);

// Runs one step of the statement in `c`; a failure inside goes to the
// statement's status variable or branch, or ends the run.
template <typename Body>
int32_t guarded(IoContext& c, Body&& body) {
  try {
    body();
    return 0;
  } catch (const IoFailure& failure) {
    return report_failure(c, failure.code);
  } catch (const std::bad_alloc&) {
    return report_failure(c, kBufferAllocationFailed);
  }
}

}  // namespace textio
