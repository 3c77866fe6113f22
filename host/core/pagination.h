// How a print job lays the text of the Input/Output window out on pages.
//
// Each page has margins, a header row (the window's title on the left, the
// page number on the right) and a blank row, then the text in a
// fixed-pitch font sized so that the longest line fits the width between
// the margins. Only when that font would be smaller than a readable size
// are longer lines broken; each broken piece but the last then ends in
// `kWrapMark` in the last column. Every line of the window is printed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/core/platform.h"
#include "host/core/text_store.h"

namespace tova::host {

inline constexpr char kWrapMark = '\\';
inline constexpr int32_t kHeaderRows = 2;  // the header and a blank row

// Rows first .. last (one-based, inclusive); empty when last < first.
struct LineRange {
  size_t first;
  size_t last;
  size_t count() const { return last >= first ? last - first + 1 : 0; }
};

struct Page {
  size_t first_line;  // row at the top of the page's text
  size_t line_count;  // 0 only for the single page of an empty range
};

// Device units of the page left free on each side.
struct Margins {
  int32_t x, y;
};

Margins print_margins(const PrinterSetup& setup);
// The widest character cell that fits `longest` columns between the
// margins, kept between a small readable size and a comfortable one.
int32_t print_char_width(const PrinterSetup& setup, size_t longest);
// Columns of text between the margins for this font (at least 8).
size_t print_columns(const PrinterSetup& setup, const PrintFont& font);
// Text rows per page below the header, at least one.
int32_t lines_per_page(const PrinterSetup& setup, const PrintFont& font);
// The store's lines as printed rows, lines longer than `columns` broken.
std::vector<std::string> print_rows(const TextStore& store, size_t columns);
// The chosen pages' rows, or every row.
LineRange print_line_range(const PrinterSetup& setup, size_t line_count, int32_t per_page);
// Full pages, then the rest; a new page only when another row follows, so
// an empty range gives one empty page.
std::vector<Page> paginate(const LineRange& range, int32_t per_page);

}  // namespace tova::host
