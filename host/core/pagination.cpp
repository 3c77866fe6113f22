// Printing the text of the Input/Output window.
#include "host/core/pagination.h"

#include <algorithm>

#include "host/core/host.h"

namespace tova::host {

int32_t lines_per_page(const PrinterSetup& setup) {
  if (setup.line_height <= 0) return 1;
  return std::max(setup.page_height / setup.line_height, 1);
}

LineRange print_line_range(const PrinterSetup& setup, size_t line_count, int32_t per_page) {
  if (!setup.page_range) return {1, line_count};
  size_t lines = static_cast<size_t>(std::max(per_page, 1));
  size_t from = static_cast<size_t>(std::max(setup.from_page, 1));
  size_t to = static_cast<size_t>(std::max(setup.to_page, 0));
  return {lines * (from - 1) + 1, std::min(lines * to, line_count)};
}

std::vector<Page> paginate(const LineRange& range, int32_t per_page) {
  size_t lines = static_cast<size_t>(std::max(per_page, 1));
  std::vector<Page> pages;
  size_t remaining = range.count();
  size_t next = range.first;
  do {
    size_t on_page = std::min(remaining, lines);
    pages.push_back({next, on_page});
    next += on_page;
    remaining -= on_page;
  } while (remaining > 0);
  return pages;
}

void Host::print_text() {
  print_continue_ = true;
  std::optional<PrinterSetup> setup = platform_.choose_printer();
  if (!setup) return;
  Handle device = setup->device;
  int32_t per_page = lines_per_page(*setup);
  std::vector<Page> pages =
      paginate(print_line_range(*setup, store_.line_count(), per_page), per_page);

  // The Printing dialog and the spooler's abort procedure pump messages from
  // here on; its Cancel clears `print_continue_`.
  platform_.open_printing_dialog(device);
  if (platform_.start_document(device, "TOVA Input/Output")) {
    bool complete = true;
    for (int32_t copy = 0; complete && copy < setup->copies; ++copy) {
      for (const Page& page : pages) {
        if (!platform_.start_page(device)) {
          complete = false;
          break;
        }
        for (size_t i = 0; i < page.line_count && complete; ++i) {
          platform_.print_text(device, 0, static_cast<int32_t>(i) * setup->line_height,
                               store_.line_text(page.first_line + i));
          // Cancelled: the job stops after the current line.
          if (!print_continue_) complete = false;
        }
        if (!complete || !platform_.end_page(device)) {
          complete = false;
          break;
        }
      }
    }
    if (complete) {
      platform_.end_document(device);
    } else {
      platform_.abort_document(device);
    }
  }
  platform_.close_printing_dialog();
  platform_.delete_printer(device);
}

}  // namespace tova::host
