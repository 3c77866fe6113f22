// The line editor of the Input/Output window: output lines, typed
// characters and the editing keys.
#include "host/core/io_window.h"

#include <algorithm>

namespace tova::host {

namespace {
constexpr uint8_t kBackspace = 8;
constexpr uint8_t kTab = 9;
constexpr uint8_t kEnter = 13;
constexpr int64_t kTabStop = 8;
}  // namespace

IoWindow::IoWindow(TextStore& store, HostState& host, Platform& platform)
    : store_(store), host_(host), platform_(platform) {}

void IoWindow::on_create(int32_t char_width, int32_t char_height) {
  char_width_ = std::max(char_width, 1);
  char_height_ = std::max(char_height, 1);
  view_top_ = view_left_ = caret_col_ = caret_row_ = 0;
  selection_.reset();
  dragging_ = false;
  fresh_row_ = true;
}

void IoWindow::on_resize(int32_t width, int32_t height) {
  client_width_ = std::max(width, 0);
  client_height_ = std::max(height, 0);
  rows_ = client_height_ / char_height_;
  cols_ = client_width_ / char_width_;
  update_scroll_ranges();
}

void IoWindow::on_focus(bool gained) {
  if (gained) {
    platform_.create_caret(char_width_, char_height_);
    place_caret();
    platform_.show_caret();
  } else {
    platform_.hide_caret();
    platform_.destroy_caret();
  }
}

void IoWindow::scroll_to_bottom_if_far() {
  if (view_top_ + rows_ + 2 < line_count()) vertical(ScrollRequest::to_end);
}

void IoWindow::append_output_line(std::string_view text) {
  int64_t n = static_cast<int64_t>(text.size());
  scroll_to_bottom_if_far();
  store_.note_width(text.size());
  if (n + 1 > cols_) update_scroll_ranges();
  if (!fresh_row_) {
    // The user has typed part of a line ahead: the output goes above it and
    // the open line keeps its text and the caret.
    insert_output_above_open_line(text);
    return;
  }
  store_.append_line(text);
  host_.saved = false;
  fresh_row_ = false;
  PixelRect row = cell_rect(caret_row_, caret_col_, caret_col_);
  row.right = to_pixels(n * char_width_);
  platform_.invalidate(Window::io, row);
  on_char(kEnter);
}

void IoWindow::insert_output_above_open_line(std::string_view text) {
  invalidate_selection();
  drop_selection();
  gray_selection_commands();
  store_.insert_before_last(text);
  host_.saved = false;
  ++caret_row_;
  advance_view_one_row();
  // The new line and the open line below it are drawn afresh.
  PixelRect rows_below = cell_rect(caret_row_ - 1, 0, 0);
  rows_below.left = 0;
  rows_below.right = client_width_;
  rows_below.bottom = std::max(client_height_, rows_below.top);
  platform_.invalidate(Window::io, rows_below);
  platform_.update_now();
  place_caret();
}

void IoWindow::on_char(uint8_t code) {
  invalidate_selection();
  drop_selection();
  gray_selection_commands();
  switch (code) {
    case kBackspace:
      if (caret_col_ > 0) {
        --caret_col_;
        delete_key();
      }
      place_caret();
      break;
    case kTab:
      do {
        typed_character(' ');
      } while (caret_col_ % kTabStop != 0);
      break;
    case kEnter:
      enter();
      break;
    default:
      typed_character(code);
      break;
  }
}

void IoWindow::typed_character(uint8_t code) {
  scroll_to_bottom_if_far();
  if (fresh_row_) store_.open_line();
  fresh_row_ = false;
  insert_key();
  char character = static_cast<char>(code);
  platform_.draw_text_now(to_pixels((caret_col_ - view_left_) * char_width_),
                          to_pixels((caret_row_ - view_top_) * char_height_),
                          std::string_view(&character, 1));
  store_.put_char(static_cast<size_t>(caret_col_), character);
  host_.saved = false;
  ++caret_col_;
  // The line's own width: a character typed inside the line widens it
  // beyond the caret.
  store_.note_width(store_.last_length());
  if (caret_col_ + 1 > cols_) {
    // Clamped by the range as it stands; the ranges follow right after.
    horizontal(ScrollRequest::line_forward);
    update_scroll_ranges();
  }
  place_caret();
}

void IoWindow::enter() {
  if (fresh_row_) {
    // The user ended an empty line.
    scroll_to_bottom_if_far();
    store_.open_line();
  }
  caret_col_ = 0;
  ++caret_row_;
  fresh_row_ = true;
  if (view_left_ != 0) horizontal(ScrollRequest::to_start);
  advance_view_one_row();
  read_waiting_ = false;
  place_caret();
}

void IoWindow::advance_view_one_row() {
  if (line_count() + 2 <= rows_) return;
  int64_t moved_to = view_top_ + 1;
  view_top_ = moved_to;
  platform_.scroll_view(0, 1);
  update_scroll_ranges();
  // The pixels moved by a row the range did not allow: draw everything anew.
  if (view_top_ != moved_to) platform_.invalidate_all(Window::io);
  platform_.update_now();
}

void IoWindow::on_key(Key key) {
  switch (key) {
    case Key::home:
      vertical(ScrollRequest::to_start);
      break;
    case Key::end:
      vertical(ScrollRequest::to_end);
      break;
    case Key::page_up:
      vertical(ScrollRequest::page_back);
      break;
    case Key::page_down:
      vertical(ScrollRequest::page_forward);
      break;
    case Key::up:
      vertical(ScrollRequest::line_back);
      break;
    case Key::down:
      vertical(ScrollRequest::line_forward);
      break;
    case Key::left:
      caret_col_ = std::max<int64_t>(caret_col_ - 1, 0);
      place_caret();
      break;
    case Key::right:
      if (!fresh_row_) {
        caret_col_ = std::min(caret_col_ + 1, last_length());
        place_caret();
      }
      break;
    case Key::insert:
      insert_key();
      break;
    case Key::del:
      delete_key();
      break;
    case Key::other:
      break;
  }
}

void IoWindow::insert_key() {
  if (fresh_row_) return;
  store_.insert_blank(static_cast<size_t>(caret_col_));
  host_.saved = false;
  invalidate_row_from(caret_row_, caret_col_);
}

void IoWindow::delete_key() {
  if (fresh_row_ || caret_col_ >= last_length()) return;
  store_.delete_chars(store_.line_count(), static_cast<size_t>(caret_col_), 1);
  host_.saved = false;
  // A selection on the shortened line keeps to the line's new length.
  if (selection_ && selection_->line == line_count() - 1) {
    int64_t length = last_length();
    selection_->end = std::min(selection_->end, length);
    selection_->start = std::min(selection_->start, selection_->end);
    if (selection_->start == selection_->end && !dragging_) {
      drop_selection();
      gray_selection_commands();
    }
  }
  invalidate_row_from(caret_row_, caret_col_);
}

void IoWindow::drop_selection() {
  selection_.reset();
}

void IoWindow::gray_selection_commands() {
  platform_.enable_menu_item(kCmdCut, false);
  platform_.enable_menu_item(kCmdCopy, false);
  platform_.enable_menu_item(kCmdDelete, false);
}

void IoWindow::place_caret() {
  platform_.place_caret(to_pixels((caret_col_ - view_left_) * char_width_),
                        to_pixels((caret_row_ - view_top_) * char_height_));
}

}  // namespace tova::host
