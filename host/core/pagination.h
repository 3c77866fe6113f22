// Which store lines a print job prints and how they fall on pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/core/platform.h"

namespace tova::host {

// Store lines first .. last (one-based, inclusive); empty when last < first.
struct LineRange {
  size_t first;
  size_t last;
  size_t count() const { return last >= first ? last - first + 1 : 0; }
};

struct Page {
  size_t first_line;  // store line at the top of the page
  size_t line_count;  // 0 only for the single page of an empty range
};

// Printable height over line height, at least one line.
int32_t lines_per_page(const PrinterSetup& setup);
// The chosen pages' lines, or every line.
LineRange print_line_range(const PrinterSetup& setup, size_t line_count, int32_t per_page);
// Full pages, then the rest; a new page only when another line follows, so
// an empty range gives one empty page.
std::vector<Page> paginate(const LineRange& range, int32_t per_page);

}  // namespace tova::host
