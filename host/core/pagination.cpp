#include "host/core/pagination.h"

#include <algorithm>

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

}  // namespace tova::host
