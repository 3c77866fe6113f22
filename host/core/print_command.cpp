#include "host/core/print_command.h"

#include <algorithm>
#include <string>
#include <vector>

#include "host/core/pagination.h"

namespace tova::host {

PrintCommand::PrintCommand(Platform& platform, const TextStore& store)
    : platform_(platform), store_(store) {}

// What a job prints, worked out before its first page.
struct PrintCommand::Job {
  PrinterSetup setup;
  PrintFont font;
  Margins margins;
  int32_t per_page;
  std::vector<std::string> rows;
  std::string_view title;
};

void PrintCommand::print(std::string_view title) {
  continuing_ = true;
  std::optional<PrinterSetup> setup = platform_.choose_printer();
  if (!setup) return;
  Handle device = setup->device;
  size_t longest = 0;
  for (size_t line = 1; line <= store_.line_count(); ++line) {
    longest = std::max(longest, store_.get_line(line).length);
  }
  PrintFont font = platform_.select_print_font(device, print_char_width(*setup, longest));
  if (font.line_height <= 0) font.line_height = std::max(setup->line_height, 1);
  if (font.char_width <= 0) font.char_width = 1;
  Job job{*setup,
          font,
          print_margins(*setup),
          lines_per_page(*setup, font),
          print_rows(store_, print_columns(*setup, font)),
          title};
  std::vector<Page> pages =
      paginate(print_line_range(*setup, job.rows.size(), job.per_page), job.per_page);

  // The Printing dialog and the spooler's abort procedure pump messages from
  // here on; its Cancel clears `continuing_`.
  platform_.open_printing_dialog(device);
  platform_.pump_printing();
  if (platform_.start_document(device, "TOVA Input/Output")) {
    bool complete = true;
    for (int32_t copy = 0; complete && copy < setup->copies; ++copy) {
      for (const Page& page : pages) {
        if (!print_page(job, page)) {
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

bool PrintCommand::print_page(const Job& job, const Page& page) {
  Handle device = job.setup.device;
  if (!platform_.start_page(device)) return false;
  const Margins& margins = job.margins;
  std::string number = "Page " + std::to_string((page.first_line - 1) / job.per_page + 1);
  platform_.print_text(device, margins.x, margins.y, job.title);
  int32_t right = job.setup.page_width - margins.x;
  platform_.print_text(
      device, std::max(right - static_cast<int32_t>(number.size()) * job.font.char_width, 0),
      margins.y, number);
  for (size_t i = 0; i < page.line_count; ++i) {
    int32_t row = kHeaderRows + static_cast<int32_t>(i);
    platform_.print_text(device, margins.x, margins.y + row * job.font.line_height,
                         job.rows[page.first_line - 1 + i]);
    // Cancelled: the job stops after the current line, its page unfinished.
    platform_.pump_printing();
    if (!continuing_) return false;
  }
  return platform_.end_page(device);
}

}  // namespace tova::host
