// The line editor of the Input/Output window: output lines, typed
// characters and the editing keys.
#include "host/core/io_window.h"

#include <algorithm>

#include "host/core/commands.h"

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

void IoWindow::set_cell_size(int32_t char_width, int32_t char_height) {
  char_width_ = std::max(char_width, 1);
  char_height_ = std::max(char_height, 1);
  on_resize(client_width_, client_height_);
}

void IoWindow::on_resize(int32_t width, int32_t height) {
  bool was_hidden = rows_ <= 0 || cols_ <= 0;
  client_width_ = std::max(width, 0);
  client_height_ = std::max(height, 0);
  rows_ = client_height_ / char_height_;
  cols_ = client_width_ / char_width_;
  update_scroll_ranges();
  // Typing while minimized moved nothing: the view finds the caret now.
  if (was_hidden) {
    ensure_caret_visible();
    place_caret();
  }
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
  add_output_line(text);
  flush_output();
}

size_t IoWindow::add_output_line(std::string_view text) {
  if (selection_) {
    invalidate_selection();
    drop_selection();
    gray_selection_commands();
  }
  store_.note_width(text.size());
  host_.saved = false;
  size_t line;
  if (fresh_row_) {
    store_.append_line(text);
    line = store_.line_count();
    caret_row_ = line_count();
    caret_col_ = 0;
  } else {
    // The user has typed part of a line ahead: the output goes above it and
    // the open line keeps its text and the caret.
    store_.insert_before_last(text);
    line = store_.line_count() - 1;
    ++caret_row_;
  }
  int64_t row = static_cast<int64_t>(line) - 1;
  first_new_line_ = output_pending_ ? std::min(first_new_line_, row) : row;
  output_pending_ = true;
  return line;
}

void IoWindow::extend_output_line(size_t store_line, std::string_view text) {
  store_.append_to_line(store_line, text);
  store_.note_width(store_.get_line(store_line).length);
  host_.saved = false;
  int64_t row = static_cast<int64_t>(store_line) - 1;
  first_new_line_ = output_pending_ ? std::min(first_new_line_, row) : row;
  output_pending_ = true;
}

void IoWindow::flush_output() {
  if (!output_pending_) return;
  output_pending_ = false;
  int64_t old_top = view_top_, old_left = view_left_;
  // The view follows the output to its last line, and to the left edge
  // unless a line typed ahead holds the caret.
  view_top_ = line_count();
  if (fresh_row_) view_left_ = 0;
  update_scroll_ranges();
  if (view_top_ != old_top || view_left_ != old_left) {
    scroll_view(view_left_ - old_left, view_top_ - old_top);
  }
  int64_t top = std::max<int64_t>((first_new_line_ - view_top_) * char_height_, 0);
  if (top < client_height_) {
    platform_.invalidate(Window::io, {0, to_pixels(top), client_width_, client_height_});
  }
  ensure_caret_visible();
  platform_.update_now();
  place_caret();
}

void IoWindow::hold_typing(bool hold) {
  typing_held_ = hold;
  if (hold || held_.empty()) return;
  std::vector<uint8_t> held;
  held.swap(held_);
  for (uint8_t code : held) feed_character(code);
}

void IoWindow::ensure_caret_visible() {
  if (rows_ <= 0 || cols_ <= 0) return;  // minimized: the restore does it
  int64_t top = view_top_;
  if (caret_row_ < top) {
    top = caret_row_;
  } else if (caret_row_ >= top + rows_) {
    top = caret_row_ - rows_ + 1;
  }
  if (top != view_top_) vertical(ScrollRequest::thumb_position, top);
  int64_t left = view_left_;
  if (caret_col_ < left) {
    left = caret_col_;
  } else if (caret_col_ >= left + cols_) {
    left = caret_col_ - cols_ + 1;
  }
  if (left == view_left_) return;
  if (left > view_left_max_) update_scroll_ranges();
  horizontal(ScrollRequest::thumb_track, left);
}

void IoWindow::on_char(uint8_t code) {
  // Ctrl+letter and the other control characters are commands or nothing.
  bool control = (code < 32 && code != kBackspace && code != kTab && code != kEnter) || code == 127;
  if (control) return;
  if (typing_held_) {
    held_.push_back(code);
    return;
  }
  feed_character(code);
}

void IoWindow::feed_character(uint8_t code) {
  invalidate_selection();
  drop_selection();
  gray_selection_commands();
  switch (code) {
    case kBackspace:
      if (caret_col_ > 0) {
        --caret_col_;
        delete_key();
      }
      ensure_caret_visible();
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
  if (static_cast<int64_t>(store_.widest_line()) + 1 - cols_ > view_left_max_) {
    update_scroll_ranges();
  }
  ensure_caret_visible();
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
  ensure_caret_visible();
  place_caret();
}

void IoWindow::advance_view_one_row() {
  if (line_count() + 2 <= rows_) return;
  int64_t moved_to = view_top_ + 1;
  view_top_ = moved_to;
  scroll_view(0, 1);
  update_scroll_ranges();
  // The pixels moved by a row the range did not allow: draw everything anew.
  if (view_top_ != moved_to) platform_.invalidate_all(Window::io);
  platform_.update_now();
}

void IoWindow::on_key(Key key, bool extend) {
  if (extend && (key == Key::left || key == Key::right || key == Key::up || key == Key::down)) {
    extend_selection(key);
    return;
  }
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
      ensure_caret_visible();
      place_caret();
      break;
    case Key::right:
      if (!fresh_row_) {
        caret_col_ = std::min(caret_col_ + 1, last_length());
        ensure_caret_visible();
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
  if (selection_ && selection_->one_line() && selection_->line == line_count() - 1) {
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
