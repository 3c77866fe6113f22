// The view of the Input/Output window: scroll ranges, scroll requests and
// what a paint draws.
#include <algorithm>
#include <cstdlib>
#include <limits>

#include "host/core/io_window.h"

namespace tova::host {

namespace {
constexpr int64_t kPageColumns = 8;
}  // namespace

int32_t to_pixels(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

std::optional<int64_t> IoWindow::length_of(int64_t line) const {
  if (line < 0 || line >= line_count()) return std::nullopt;
  return static_cast<int64_t>(store_.get_line(static_cast<size_t>(line) + 1).length);
}

PixelRect IoWindow::cell_rect(int64_t line, int64_t first_column, int64_t end_column) const {
  return {to_pixels((first_column - view_left_) * char_width_),
          to_pixels((line - view_top_) * char_height_),
          to_pixels((end_column - view_left_) * char_width_),
          to_pixels((line - view_top_ + 1) * char_height_)};
}

void IoWindow::invalidate_row_from(int64_t line, int64_t column) {
  PixelRect rect = cell_rect(line, column, column);
  rect.right = client_width_;
  platform_.invalidate(Window::io, rect);
}

void IoWindow::update_scroll_ranges() {
  // The view may show two rows below the last line: the row being typed and
  // one blank row.
  view_top_max_ = std::max<int64_t>(line_count() - rows_ + 2, 0);
  view_top_ = std::min(view_top_, view_top_max_);
  platform_.set_scroll_range(ScrollBar::vertical, view_top_max_);
  platform_.set_scroll_position(ScrollBar::vertical, view_top_);
  // One column past the widest line: the caret's cell at its end.
  view_left_max_ = std::max<int64_t>(static_cast<int64_t>(store_.widest_line()) + 1 - cols_, 0);
  view_left_ = std::min(view_left_, view_left_max_);
  platform_.set_scroll_range(ScrollBar::horizontal, view_left_max_);
  platform_.set_scroll_position(ScrollBar::horizontal, view_left_);
}

void IoWindow::vertical(ScrollRequest request, int64_t position) {
  int64_t step = 0;
  switch (request) {
    case ScrollRequest::line_back:
      step = -1;
      break;
    case ScrollRequest::line_forward:
      step = 1;
      break;
    case ScrollRequest::page_back:
      step = -std::max<int64_t>(rows_, 1);
      break;
    case ScrollRequest::page_forward:
      step = std::max<int64_t>(rows_, 1);
      break;
    case ScrollRequest::thumb_position:
      step = position - view_top_;
      break;
    case ScrollRequest::to_start:
      step = -view_top_;
      break;
    case ScrollRequest::to_end:
      step = view_top_max_ - view_top_;
      break;
    case ScrollRequest::thumb_track:  // the vertical bar follows on release only
    case ScrollRequest::other:
      break;
  }
  step = std::min(step, view_top_max_ - view_top_);
  step = std::max(step, -view_top_);
  if (step == 0) return;
  view_top_ += step;
  scroll_view(0, step);
  platform_.set_scroll_position(ScrollBar::vertical, view_top_);
  platform_.update_now();
}

void IoWindow::scroll_lines(int64_t lines) {
  vertical(ScrollRequest::thumb_position, view_top_ + lines);
}

void IoWindow::on_wheel(int64_t notches, int64_t lines_per_notch) {
  scroll_lines(-notches * (lines_per_notch == kWheelPage ? rows_ : lines_per_notch));
}

void IoWindow::scroll_view(int64_t columns, int64_t rows) {
  // A move as large as the window leaves nothing to keep.
  if (std::abs(rows) > rows_ || std::abs(columns) > cols_) {
    platform_.invalidate_all(Window::io);
    return;
  }
  platform_.scroll_pixels(to_pixels(-columns * char_width_), to_pixels(-rows * char_height_));
}

void IoWindow::horizontal(ScrollRequest request, int64_t position) {
  int64_t step = 0;
  switch (request) {
    case ScrollRequest::line_back:
      step = -1;
      break;
    case ScrollRequest::line_forward:
      step = 1;
      break;
    case ScrollRequest::page_back:
      step = -kPageColumns;
      break;
    case ScrollRequest::page_forward:
      step = kPageColumns;
      break;
    case ScrollRequest::thumb_track:  // the horizontal bar follows the drag
      step = position - view_left_;
      break;
    case ScrollRequest::to_start:
      step = -view_left_;
      break;
    case ScrollRequest::thumb_position:
    case ScrollRequest::to_end:
    case ScrollRequest::other:
      break;
  }
  step = std::min(step, view_left_max_ - view_left_);
  step = std::max(step, -view_left_);
  if (step == 0) return;
  view_left_ += step;
  scroll_view(step, 0);
  platform_.set_scroll_position(ScrollBar::horizontal, view_left_);
}

PaintPlan IoWindow::paint(int32_t top, int32_t bottom) const {
  PaintPlan plan{};
  int64_t first = std::max<int64_t>(view_top_ + top / char_height_ - 1, 0);
  int64_t last = std::min(line_count() - 1, view_top_ + bottom / char_height_);
  for (int64_t line = first; line <= last; ++line) {
    plan.runs.push_back({to_pixels(-view_left_ * char_width_),
                         to_pixels((line - view_top_) * char_height_),
                         store_.line_text(static_cast<size_t>(line) + 1), false});
  }
  if (selection_) {
    const Selection& sel = *selection_;
    int64_t from = sel.one_line() ? sel.line : std::max(sel.line, first);
    int64_t to = sel.one_line() ? sel.line : std::min(sel.last_line, last);
    if (sel.one_line() && (sel.line < view_top_ || sel.line > view_top_ + rows_)) to = from - 1;
    for (int64_t line = from; line <= to; ++line) {
      std::optional<int64_t> length = length_of(line);
      if (!length) break;
      int64_t start = line == sel.line ? std::min(sel.start, *length) : 0;
      int64_t end = line == sel.last_line ? std::clamp(sel.end, start, *length) : *length;
      std::string_view text = store_.line_text(static_cast<size_t>(line) + 1);
      plan.runs.push_back(
          {to_pixels((start - view_left_) * char_width_),
           to_pixels((line - view_top_) * char_height_),
           text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start)), true});
    }
  }
  plan.caret_x = to_pixels((caret_col_ - view_left_) * char_width_);
  plan.caret_y = to_pixels((caret_row_ - view_top_) * char_height_);
  return plan;
}

void IoWindow::invalidate_selection() {
  if (!selection_) return;
  if (!selection_->one_line()) {
    int64_t top = std::max(selection_->line, view_top_);
    int64_t bottom = std::min(selection_->last_line, view_top_ + rows_);
    if (top > bottom) return;
    PixelRect rows = cell_rect(top, 0, 0);
    rows.left = 0;
    rows.right = client_width_;
    rows.bottom = to_pixels((bottom - view_top_ + 1) * char_height_);
    platform_.invalidate(Window::io, rows);
    return;
  }
  int64_t line = selection_->line;
  if (line < view_top_ || line >= view_top_ + rows_ - 1) return;
  platform_.invalidate(Window::io, cell_rect(line, selection_->start, selection_->end));
}

}  // namespace tova::host
