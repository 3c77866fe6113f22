// The Input/Output window without its window system: a console whose last
// line is edited by typing, a view of the text store, a selection on one
// line, and the arithmetic of scrolling and repainting.
//
// Window lines are zero-based (window line L is store line L + 1). The caret
// stands either on the last line (the open line, which typing edits) or, when
// `fresh_row()`, on the row after it, which has no line yet. Every Enter
// (typed, pasted or ending an output line) closes the open line.
//
// The front end calls `on_create` once with the cell size, `on_resize` with
// every client size, and one handler per input message; the window answers
// through the Platform (invalidate, scroll, caret, scroll bars, menu states).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/core/host_state.h"
#include "host/core/platform.h"
#include "host/core/text_store.h"

namespace tova::host {

// Keys the window reacts to (its key-down message); the rest are `other`.
enum class Key : uint8_t {
  home,
  end,
  page_up,
  page_down,
  up,
  down,
  left,
  right,
  insert,
  del,
  other
};

// Scroll bar and key requests. Vertically: line up/down, page up/down, top,
// bottom; horizontally: line left/right, page left/right, left end, right end.
enum class ScrollRequest : uint8_t {
  line_back,
  line_forward,
  page_back,
  page_forward,
  thumb_position,  // the thumb was released at `position`
  thumb_track,     // the thumb is being dragged at `position`
  to_start,
  to_end,
  other,
};

// The wheel setting that turns a page per notch.
inline constexpr int64_t kWheelPage = -1;

// From (line, start) up to (last_line, end), end exclusive; `line` <=
// `last_line`, and on one line start <= end. Copied lines end in CR LF.
struct Selection {
  int64_t line;       // window line of the first selected character
  int64_t start;      // its column
  int64_t end;        // one past the last selected column, on `last_line`
  int64_t last_line;  // window line where the selection ends
  bool one_line() const { return line == last_line; }
};

// A point of the text: window line and column.
struct TextPoint {
  int64_t line;
  int64_t column;
};

// One piece of text to draw during a paint.
struct TextRun {
  int32_t x, y;
  std::string_view text;
  bool selected;  // white on blue instead of black on white
};

// What a paint draws, in order, and where the caret goes afterwards.
struct PaintPlan {
  std::vector<TextRun> runs;
  int32_t caret_x, caret_y;
};

class IoWindow {
 public:
  IoWindow(TextStore& store, HostState& host, Platform& platform);

  // --- Messages from the front end -----------------------------------------
  // The cell size of the fixed-pitch font, measured once at creation.
  void on_create(int32_t char_width, int32_t char_height);
  // A new font (the window moved to a screen of another scale): the state
  // stays, the rows and columns follow.
  void set_cell_size(int32_t char_width, int32_t char_height);
  // The client area's size in pixels (every resize).
  void on_resize(int32_t width, int32_t height);
  // Keyboard focus gained (create and show the caret) or lost (destroy it).
  void on_focus(bool gained);
  // A character message. Control characters other than Backspace, Tab and
  // Enter are never inserted (the accelerators take the commands' keys).
  // While typing is held they wait, in order, for `hold_typing(false)`.
  void on_char(uint8_t code);
  // `extend`: Shift was down; the arrows then move the selection's end.
  void on_key(Key key, bool extend = false);
  void vertical(ScrollRequest request, int64_t position = 0);
  void horizontal(ScrollRequest request, int64_t position = 0);
  // Scrolls by `lines` (> 0 towards the end), within the range.
  void scroll_lines(int64_t lines);
  // The mouse wheel turned whole `notches` (> 0 away from the user, towards
  // the start), each worth `lines_per_notch` lines or, with `kWheelPage`, a
  // window's height.
  void on_wheel(int64_t notches, int64_t lines_per_notch);
  // The lines crossing pixel rows top .. bottom of the area to repaint.
  PaintPlan paint(int32_t top, int32_t bottom) const;
  // The selection starts where the button goes down; `extend` (Shift+click)
  // moves the end of the present selection there instead.
  void on_mouse_down(int32_t x, int32_t y, bool extend = false);
  void on_mouse_move(int32_t x, int32_t y);
  void on_mouse_up();
  void on_double_click(int32_t x, int32_t y);
  // Ctrl+A: every line.
  void select_all();

  // --- Operations of the hooks and the Edit commands -------------------------
  // One line of program output, shown at once.
  void append_output_line(std::string_view text);
  // One line of program output into the store only; the view follows at the
  // next `flush_output`. Returns its store line.
  size_t add_output_line(std::string_view text);
  // More text for an output line the program has not ended yet.
  void extend_output_line(size_t store_line, std::string_view text);
  // Scrolls and repaints once for every line added since the last flush.
  void flush_output();
  bool output_pending() const { return output_pending_; }
  // While the program computes, typed characters wait instead of going into
  // a line no read is waiting for.
  void hold_typing(bool hold);
  // Moves the view the least that shows the caret's cell.
  void ensure_caret_visible();
  void update_scroll_ranges();
  void invalidate_selection();
  // The selected characters, lines joined by CR LF (empty without one).
  std::string selected_text() const;
  // Removes the selected characters from their line (one line only).
  void delete_selection();

  // --- State ---------------------------------------------------------------
  int64_t rows() const { return rows_; }
  int64_t cols() const { return cols_; }
  int64_t view_top() const { return view_top_; }
  int64_t view_left() const { return view_left_; }
  int64_t view_top_max() const { return view_top_max_; }
  int64_t view_left_max() const { return view_left_max_; }
  int64_t caret_col() const { return caret_col_; }
  int64_t caret_row() const { return caret_row_; }
  bool fresh_row() const { return fresh_row_; }
  const std::optional<Selection>& selection() const { return selection_; }
  bool dragging() const { return dragging_; }
  bool read_waiting() const { return read_waiting_; }
  void set_read_waiting(bool waiting) { read_waiting_ = waiting; }
  int32_t char_width() const { return char_width_; }
  int32_t char_height() const { return char_height_; }

 private:
  int64_t line_count() const { return static_cast<int64_t>(store_.line_count()); }
  int64_t last_length() const { return static_cast<int64_t>(store_.last_length()); }
  // Length of window line `line`, or nullopt when it does not exist.
  std::optional<int64_t> length_of(int64_t line) const;
  void scroll_to_bottom_if_far();
  // The view moved by `columns` and `rows` cells (> 0 towards the end): the
  // shown pixels move the other way, or are all drawn anew after a move as
  // large as the window.
  void scroll_view(int64_t columns, int64_t rows);
  void typed_character(uint8_t code);
  void enter();
  void insert_key();
  void delete_key();
  void advance_view_one_row();
  void set_selection(TextPoint anchor, TextPoint focus);
  void extend_selection(Key key);
  void enable_selection_commands();
  TextPoint clamp_point(int64_t line, int64_t column) const;
  TextPoint caret_point() const;
  void feed_character(uint8_t code);
  void drop_selection();
  void gray_selection_commands();
  void place_caret();
  void invalidate_row_from(int64_t line, int64_t column);
  PixelRect cell_rect(int64_t line, int64_t first_column, int64_t end_column) const;
  int64_t column_at(int32_t x) const;
  int64_t line_at(int32_t y) const;

  TextStore& store_;
  HostState& host_;
  Platform& platform_;

  int32_t char_width_ = 1, char_height_ = 1;
  int32_t client_width_ = 0, client_height_ = 0;
  int64_t rows_ = 0, cols_ = 0;
  int64_t view_top_ = 0, view_left_ = 0;
  int64_t view_top_max_ = 0, view_left_max_ = 0;
  int64_t caret_col_ = 0, caret_row_ = 0;
  bool fresh_row_ = true;
  std::optional<Selection> selection_;
  TextPoint anchor_{0, 0}, focus_{0, 0};  // the selection's fixed and moving ends
  bool dragging_ = false;
  bool read_waiting_ = false;
  bool output_pending_ = false;
  int64_t first_new_line_ = 0;  // first window line changed since the last flush
  bool typing_held_ = false;
  std::vector<uint8_t> held_;
};

// Pixel coordinates saturated to the platform's 32-bit range.
int32_t to_pixels(int64_t value);

}  // namespace tova::host
