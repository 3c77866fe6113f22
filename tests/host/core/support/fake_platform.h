// A platform that records every call the host core makes and answers from a
// script, so the core's behaviour is tested without any window.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/core/platform.h"

namespace tova::host::testing {

// Thrown by `end_run`, which never returns in the product.
struct RunEnded {};
// Thrown by `wait_message` when the script has no message left: the real
// pump would block for ever.
struct WouldBlock {};

struct FakeMessage {
  PumpEvent kind = PumpEvent::dispatched;
  std::function<void()> action;  // what the window procedure does with it
};

struct PrintedLine {
  int32_t y;
  std::string text;
  int32_t x = 0;
};

class FakePlatform : public Platform {
 public:
  // --- The script ---------------------------------------------------------
  std::deque<FakeMessage> waiting;  // taken one by one by wait_message
  std::deque<FakeMessage> pending;  // all taken by pump_pending
  // Called when wait_message finds `waiting` empty (the scripted user); may
  // push messages. Without it an empty queue throws WouldBlock.
  std::function<void(FakePlatform&)> on_idle;
  std::deque<Answer> answers;  // message boxes, in order
  std::deque<std::optional<SaveChoice>> save_choices;
  std::map<std::string, std::string> files;  // written files by path
  std::vector<std::string> uncreatable;      // paths create_file refuses
  int writes_before_failure = -1;            // -1: writes never fail
  std::optional<std::string> clipboard;      // nullopt: no text
  // The clock: each reading returns `clock_ms`, then adds `clock_step` (by
  // default every output is due for painting, as if the user were slow).
  int64_t clock_ms = 0;
  int64_t clock_step = 1000;
  // The printer font: nullopt gives the width asked for and the setup's
  // line height.
  std::optional<PrintFont> print_font;
  int32_t asked_char_width = 0;
  int printing_pumps = 0;
  bool clipboard_fails = false;
  std::optional<PrinterSetup> printer;  // nullopt: dialog cancelled
  int pages_before_start_failure = -1;
  std::function<void(int32_t y)> on_print_line;  // e.g. press Cancel
  bool timers_fail = false;
  bool tick_fails = false;
  bool menu_fails = false;
  bool graphics_fails = false;
  std::map<int32_t, bool> checked_items;
  SystemInfo info{};

  // --- What happened --------------------------------------------------------
  std::vector<std::string> trace;
  std::map<int32_t, bool> menu_enabled;
  std::vector<std::string> message_texts;
  std::vector<std::vector<PrintedLine>> pages;  // every page started
  bool document_ended = false, document_aborted = false, printing_dialog_open = false;
  bool frame_destroyed = false;
  int end_run_calls = 0;
  std::string io_title;
  int64_t scroll_max[2] = {0, 0}, scroll_pos[2] = {0, 0};
  int32_t caret_x = 0, caret_y = 0;
  std::map<int32_t, int32_t> timers;  // id -> interval
  std::vector<std::string> menu_texts;

  // The trace entries that begin with `prefix`.
  std::vector<std::string> calls(const std::string& prefix) const;
  void clear_trace() { trace.clear(); }

  // --- Platform -------------------------------------------------------------
  void invalidate(Window window, const PixelRect& rect) override;
  void invalidate_all(Window window) override;
  void scroll_pixels(int32_t dx, int32_t dy) override;
  void update_now() override;
  void draw_text_now(int32_t x, int32_t y, std::string_view text) override;
  void set_scroll_range(ScrollBar bar, int64_t maximum) override;
  void set_scroll_position(ScrollBar bar, int64_t position) override;
  void create_caret(int32_t width, int32_t height) override;
  void destroy_caret() override;
  void show_caret() override;
  void hide_caret() override;
  void place_caret(int32_t x, int32_t y) override;
  void enable_menu_item(int32_t command, bool enabled) override;
  bool menu_item_checked(int32_t command) override;
  bool append_menu_item(int32_t popup, uint32_t flags, int32_t command,
                        std::string_view text) override;
  bool insert_menu_item(int32_t popup, int32_t position, uint32_t flags, int32_t command,
                        std::string_view text) override;
  bool insert_popup_menu(int32_t position, uint32_t flags, std::string_view text) override;
  int32_t check_menu_item(int32_t popup, int32_t position, uint32_t flags) override;
  bool delete_menu_item(int32_t popup, int32_t position) override;
  void redraw_menu_bar() override;
  bool pump_pending() override;
  PumpEvent wait_message() override;
  int64_t milliseconds() override;
  Answer message_box(Window owner, std::string_view text, MessageButtons buttons) override;
  std::optional<SaveChoice> choose_save_file(std::string_view initial_name) override;
  void about_box() override;
  void set_window_title(Window window, std::string_view title) override;
  Handle create_file(std::string_view path) override;
  bool write_file(Handle file, std::string_view bytes) override;
  void close_file(Handle file) override;
  bool set_clipboard_text(std::string_view text) override;
  std::optional<std::string> get_clipboard_text() override;
  bool clipboard_has_text() override;
  std::optional<PrinterSetup> choose_printer() override;
  void open_printing_dialog(Handle device) override;
  void close_printing_dialog() override;
  PrintFont select_print_font(Handle device, int32_t char_width) override;
  void pump_printing() override;
  bool start_document(Handle device, std::string_view name) override;
  bool start_page(Handle device) override;
  void print_text(Handle device, int32_t x, int32_t y, std::string_view text) override;
  bool end_page(Handle device) override;
  bool end_document(Handle device) override;
  void abort_document(Handle device) override;
  void delete_printer(Handle device) override;
  bool set_timer(int32_t id, int32_t interval_ms) override;
  void kill_timer(int32_t id) override;
  bool arm_tick_timer(int32_t delay_ms, int32_t resolution_ms, std::atomic<int32_t>* flag) override;
  bool create_graphics_window(std::string_view title, int32_t width, int32_t height) override;
  void set_map_mode(Handle device_context, int32_t mode) override;
  SystemInfo system_info() override;
  void destroy_frame() override;
  void end_run() override;

 private:
  void record(std::string entry) { trace.push_back(std::move(entry)); }
  std::vector<std::string> open_files_;  // index + 1 is the handle
  int writes_ = 0;
};

}  // namespace tova::host::testing
