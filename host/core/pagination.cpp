// Printing the text of the Input/Output window.
#include "host/core/pagination.h"

#include <algorithm>

#include "host/core/host.h"

namespace tova::host {

namespace {
// A fixed-pitch character is about 0.6 of its font's size: 10 points make
// 6 points of advance, 5 points (the smallest still read easily) 3.
constexpr int32_t kLargestAdvancePoints = 6;
constexpr int32_t kSmallestAdvancePoints = 3;
constexpr int32_t kPointsPerInch = 72;
constexpr size_t kFewestColumns = 8;

int32_t inch_fraction(int32_t dots_per_inch, int32_t points) {
  return std::max(dots_per_inch * points / kPointsPerInch, 1);
}
}  // namespace

Margins print_margins(const PrinterSetup& setup) {
  // Half an inch within the printable area, less on a very small page.
  return {std::min(std::max(setup.dots_per_inch_x, 0) / 2, std::max(setup.page_width, 0) / 8),
          std::min(std::max(setup.dots_per_inch_y, 0) / 2, std::max(setup.page_height, 0) / 8)};
}

int32_t print_char_width(const PrinterSetup& setup, size_t longest) {
  int32_t usable = std::max(setup.page_width - 2 * print_margins(setup).x, 1);
  int32_t largest = inch_fraction(setup.dots_per_inch_x, kLargestAdvancePoints);
  int32_t smallest = inch_fraction(setup.dots_per_inch_x, kSmallestAdvancePoints);
  size_t columns = std::max(longest, kFewestColumns);
  int32_t fitting = static_cast<int32_t>(
      std::min<size_t>(static_cast<size_t>(usable) / columns, static_cast<size_t>(largest)));
  return std::max(fitting, std::min(smallest, largest));
}

size_t print_columns(const PrinterSetup& setup, const PrintFont& font) {
  int32_t usable = std::max(setup.page_width - 2 * print_margins(setup).x, 0);
  return std::max(static_cast<size_t>(usable / std::max(font.char_width, 1)), kFewestColumns);
}

int32_t lines_per_page(const PrinterSetup& setup, const PrintFont& font) {
  if (font.line_height <= 0) return 1;
  int32_t usable = setup.page_height - 2 * print_margins(setup).y;
  return std::max(usable / font.line_height - kHeaderRows, 1);
}

std::vector<std::string> print_rows(const TextStore& store, size_t columns) {
  std::vector<std::string> rows;
  rows.reserve(store.line_count());
  size_t piece = std::max<size_t>(columns, 2) - 1;
  for (size_t line = 1; line <= store.line_count(); ++line) {
    std::string_view text = store.line_text(line);
    while (text.size() > columns) {
      rows.emplace_back(text.substr(0, piece));
      rows.back() += kWrapMark;
      text.remove_prefix(piece);
    }
    rows.emplace_back(text);
  }
  return rows;
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
  size_t longest = 0;
  for (size_t line = 1; line <= store_.line_count(); ++line) {
    longest = std::max(longest, store_.get_line(line).length);
  }
  PrintFont font = platform_.select_print_font(device, print_char_width(*setup, longest));
  if (font.line_height <= 0) font.line_height = std::max(setup->line_height, 1);
  if (font.char_width <= 0) font.char_width = 1;
  std::vector<std::string> rows = print_rows(store_, print_columns(*setup, font));
  int32_t per_page = lines_per_page(*setup, font);
  std::vector<Page> pages = paginate(print_line_range(*setup, rows.size(), per_page), per_page);
  Margins margins = print_margins(*setup);
  std::string title = state_.save_title.empty() ? "Input/Output" : state_.save_title;

  // The Printing dialog and the spooler's abort procedure pump messages from
  // here on; its Cancel clears `print_continue_`.
  platform_.open_printing_dialog(device);
  platform_.pump_printing();
  if (platform_.start_document(device, "TOVA Input/Output")) {
    bool complete = true;
    for (int32_t copy = 0; complete && copy < setup->copies; ++copy) {
      for (const Page& page : pages) {
        if (!platform_.start_page(device)) {
          complete = false;
          break;
        }
        std::string number = "Page " + std::to_string((page.first_line - 1) / per_page + 1);
        platform_.print_text(device, margins.x, margins.y, title);
        int32_t right = setup->page_width - margins.x;
        platform_.print_text(
            device, std::max(right - static_cast<int32_t>(number.size()) * font.char_width, 0),
            margins.y, number);
        for (size_t i = 0; i < page.line_count && complete; ++i) {
          int32_t row = kHeaderRows + static_cast<int32_t>(i);
          platform_.print_text(device, margins.x, margins.y + row * font.line_height,
                               rows[page.first_line - 1 + i]);
          // Cancelled: the job stops after the current line.
          platform_.pump_printing();
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
