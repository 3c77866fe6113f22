// The Print command: the print dialog, the Printing dialog with its Cancel,
// and the job itself, laid out by the pagination rules (pagination.h).
//
// The Printing dialog and the spooler's abort procedure pump messages while
// the job runs: every handler may run inside `print`, and Cancel reaches
// `cancel` from there.
#pragma once

#include <string_view>

#include "host/core/pagination.h"
#include "host/core/platform.h"
#include "host/core/text_store.h"

namespace tova::host {

class PrintCommand {
 public:
  PrintCommand(Platform& platform, const TextStore& store);

  // Prints every line (or the chosen pages) under a header with `title`.
  void print(std::string_view title);
  // The Printing dialog's Cancel: the job stops after the current line.
  void cancel() { continuing_ = false; }
  // What the abort procedure returns.
  bool continuing() const { return continuing_; }

 private:
  struct Job;
  // False when the page failed or the job was cancelled on it.
  bool print_page(const Job& job, const Page& page);

  Platform& platform_;
  const TextStore& store_;
  bool continuing_ = false;
};

}  // namespace tova::host
