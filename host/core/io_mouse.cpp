// The selection of the Input/Output window: the mouse, Shift with the
// arrows, Select All, and the selected characters for the Edit commands.
#include <algorithm>

#include "host/core/commands.h"
#include "host/core/io_window.h"

namespace tova::host {

int64_t IoWindow::column_at(int32_t x) const {
  return std::max<int64_t>(view_left_ + x / char_width_, 0);
}

int64_t IoWindow::line_at(int32_t y) const {
  return std::max<int64_t>(view_top_ + y / char_height_, 0);
}

TextPoint IoWindow::clamp_point(int64_t line, int64_t column) const {
  line = std::clamp<int64_t>(line, 0, std::max<int64_t>(line_count() - 1, 0));
  return {line, std::clamp<int64_t>(column, 0, length_of(line).value_or(0))};
}

TextPoint IoWindow::caret_point() const {
  if (fresh_row_) return clamp_point(line_count() - 1, last_length());
  return clamp_point(caret_row_, caret_col_);
}

void IoWindow::set_selection(TextPoint anchor, TextPoint focus) {
  invalidate_selection();
  anchor_ = anchor;
  focus_ = focus;
  bool forward =
      anchor.line < focus.line || (anchor.line == focus.line && anchor.column <= focus.column);
  const TextPoint& first = forward ? anchor : focus;
  const TextPoint& last = forward ? focus : anchor;
  selection_ = Selection{first.line, first.column, last.column, last.line};
  invalidate_selection();
}

void IoWindow::enable_selection_commands() {
  // Cut and Delete act on one line; a selection across lines is copied only.
  bool one_line = selection_->one_line();
  platform_.enable_menu_item(kCmdCut, one_line);
  platform_.enable_menu_item(kCmdCopy, true);
  platform_.enable_menu_item(kCmdDelete, one_line);
}

void IoWindow::on_mouse_down(int32_t x, int32_t y, bool extend) {
  if (line_count() == 0) return;
  TextPoint point = clamp_point(line_at(y), column_at(x));
  if (extend && selection_) {
    set_selection(anchor_, point);
    dragging_ = true;
    return;
  }
  invalidate_selection();
  drop_selection();
  gray_selection_commands();
  dragging_ = true;
  // The first character of a quick drag is the one under the button.
  set_selection(point, point);
}

void IoWindow::on_mouse_move(int32_t x, int32_t y) {
  if (!dragging_ || !selection_) return;
  set_selection(anchor_, clamp_point(line_at(y), column_at(x)));
}

void IoWindow::on_mouse_up() {
  dragging_ = false;
  if (!selection_) return;
  if (selection_->one_line() && selection_->start >= selection_->end) {
    drop_selection();
    gray_selection_commands();
    return;
  }
  enable_selection_commands();
}

void IoWindow::extend_selection(Key key) {
  if (line_count() == 0) return;
  if (!selection_) anchor_ = focus_ = caret_point();
  TextPoint point = focus_;
  int64_t length = length_of(point.line).value_or(0);
  switch (key) {
    case Key::left:
      if (point.column > 0) {
        --point.column;
      } else if (point.line > 0) {
        point = clamp_point(point.line - 1, INT64_MAX);
      }
      break;
    case Key::right:
      if (point.column < length) {
        ++point.column;
      } else if (point.line + 1 < line_count()) {
        point = {point.line + 1, 0};
      }
      break;
    case Key::up:
      point = clamp_point(point.line - 1, point.column);
      break;
    case Key::down:
      point = clamp_point(point.line + 1, point.column);
      break;
    default:
      break;
  }
  set_selection(anchor_, point);
  if (selection_->one_line() && selection_->start == selection_->end) {
    drop_selection();
    gray_selection_commands();
  } else {
    enable_selection_commands();
  }
}

void IoWindow::select_all() {
  if (line_count() == 0) return;
  set_selection({0, 0}, clamp_point(line_count() - 1, INT64_MAX));
  if (selection_->one_line() && selection_->start == selection_->end) {
    drop_selection();
    gray_selection_commands();
    return;
  }
  enable_selection_commands();
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
  set_selection({line, start}, {line, end});
}

std::string IoWindow::selected_text() const {
  std::string text;
  if (!selection_) return text;
  const Selection& sel = *selection_;
  for (int64_t line = sel.line; line <= sel.last_line; ++line) {
    std::optional<int64_t> length = length_of(line);
    if (!length) break;
    int64_t start = line == sel.line ? std::min(sel.start, *length) : 0;
    int64_t end = line == sel.last_line ? std::clamp(sel.end, start, *length) : *length;
    text += store_.line_text(static_cast<size_t>(line) + 1)
                .substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
    if (line != sel.last_line) text += "\r\n";
  }
  return text;
}

void IoWindow::delete_selection() {
  if (!selection_ || !selection_->one_line()) return;
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
