// The selection of the Input/Output window: the mouse, and the selected
// characters for the Edit commands.
#include <algorithm>

#include "host/core/io_window.h"

namespace tova::host {

int64_t IoWindow::column_at(int32_t x) const {
  return std::max<int64_t>(view_left_ + x / char_width_, 0);
}

int64_t IoWindow::line_at(int32_t y) const {
  return std::max<int64_t>(view_top_ + y / char_height_, 0);
}

void IoWindow::on_mouse_down(int32_t, int32_t) {
  invalidate_selection();
  drop_selection();
  gray_selection_commands();
  dragging_ = true;
}

void IoWindow::on_mouse_move(int32_t x, int32_t y) {
  if (!dragging_) return;
  int64_t column = column_at(x);
  int64_t line = line_at(y);
  std::optional<int64_t> length = length_of(line);
  invalidate_selection();
  if (!selection_) {
    // A selection begins only within an existing line's length.
    if (length && column <= *length) selection_ = Selection{line, column, column};
  } else if (line == selection_->line && length) {
    Selection& s = *selection_;
    if (column < s.start) {
      s.start = column;
    } else if (column > s.end) {
      s.end = std::min(column, *length);
    } else if (column - s.start < s.end - column) {
      s.start = column;
    } else {
      s.end = column;
    }
  }
  invalidate_selection();
}

void IoWindow::on_mouse_up() {
  dragging_ = false;
  if (selection_ && selection_->start < selection_->end) {
    platform_.enable_menu_item(kCmdCut, true);
    platform_.enable_menu_item(kCmdCopy, true);
    platform_.enable_menu_item(kCmdDelete, true);
  } else {
    drop_selection();
  }
}

void IoWindow::on_double_click(int32_t x, int32_t y) {
  int64_t column = column_at(x);
  int64_t line = line_at(y);
  std::optional<int64_t> length = length_of(line);
  invalidate_selection();
  dragging_ = false;
  // Beyond the end of a line, or below the last line, there is no word.
  if (!length || column >= *length) {
    drop_selection();
    gray_selection_commands();
    return;
  }
  std::string_view text = store_.line_text(static_cast<size_t>(line) + 1);
  int64_t start = column;
  while (start > 0 && text[static_cast<size_t>(start - 1)] != ' ') --start;
  int64_t end = column;
  while (end < *length && text[static_cast<size_t>(end)] != ' ') ++end;
  selection_ = Selection{line, start, end};
  invalidate_selection();
}

std::string_view IoWindow::selected_text() const {
  if (!selection_) return {};
  std::optional<int64_t> length = length_of(selection_->line);
  if (!length) return {};
  int64_t start = std::min(selection_->start, *length);
  int64_t end = std::clamp(selection_->end, start, *length);
  return store_.line_text(static_cast<size_t>(selection_->line) + 1)
      .substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
}

void IoWindow::delete_selection() {
  if (!selection_) return;
  Selection s = *selection_;
  std::optional<int64_t> length = length_of(s.line);
  if (length) {
    s.start = std::min(s.start, *length);
    s.end = std::clamp(s.end, s.start, *length);
    if (s.end > s.start) {
      store_.delete_chars(static_cast<size_t>(s.line) + 1, static_cast<size_t>(s.start),
                          static_cast<size_t>(s.end - s.start));
      host_.saved = false;
    }
    if (s.line == caret_row_ && s.start < caret_col_) {
      caret_col_ = s.end < caret_col_ ? caret_col_ - (s.end - s.start) : s.start;
    }
  }
  invalidate_row_from(s.line, s.start);
  invalidate_selection();
  drop_selection();
  gray_selection_commands();
}

}  // namespace tova::host
