#include "tests/host/core/support/fake_platform.h"

#include <algorithm>

namespace tova::host::testing {

namespace {

std::string name(Window window) {
  switch (window) {
    case Window::none:
      return "none";
    case Window::frame:
      return "frame";
    case Window::io:
      return "io";
    case Window::graphics:
      return "graphics";
  }
  return "?";
}

std::string bar_name(ScrollBar bar) {
  return bar == ScrollBar::vertical ? "v" : "h";
}

std::string rect_text(const PixelRect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

}  // namespace

std::vector<std::string> FakePlatform::calls(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const std::string& entry : trace) {
    if (entry.compare(0, prefix.size(), prefix) == 0) found.push_back(entry);
  }
  return found;
}

void FakePlatform::invalidate(Window window, const PixelRect& rect) {
  record("invalidate " + name(window) + " " + rect_text(rect));
}
void FakePlatform::invalidate_all(Window window) {
  record("invalidate_all " + name(window));
}
void FakePlatform::scroll_pixels(int32_t dx, int32_t dy) {
  record("scroll " + std::to_string(dx) + "," + std::to_string(dy));
}
void FakePlatform::update_now() {
  record("update_now");
}
void FakePlatform::draw_text_now(int32_t x, int32_t y, std::string_view text) {
  record("draw " + std::to_string(x) + "," + std::to_string(y) + " " + std::string(text));
}
void FakePlatform::set_scroll_range(ScrollBar bar, int64_t maximum) {
  scroll_max[bar == ScrollBar::vertical ? 0 : 1] = maximum;
  record("range " + bar_name(bar) + " " + std::to_string(maximum));
}
void FakePlatform::set_scroll_position(ScrollBar bar, int64_t position) {
  scroll_pos[bar == ScrollBar::vertical ? 0 : 1] = position;
  record("position " + bar_name(bar) + " " + std::to_string(position));
}
void FakePlatform::create_caret(int32_t width, int32_t height) {
  record("create_caret " + std::to_string(width) + "x" + std::to_string(height));
}
void FakePlatform::destroy_caret() {
  record("destroy_caret");
}
void FakePlatform::show_caret() {
  record("show_caret");
}
void FakePlatform::hide_caret() {
  record("hide_caret");
}
void FakePlatform::place_caret(int32_t x, int32_t y) {
  caret_x = x;
  caret_y = y;
  record("caret " + std::to_string(x) + "," + std::to_string(y));
}
void FakePlatform::enable_menu_item(int32_t command, bool enabled) {
  menu_enabled[command] = enabled;
  record(std::string(enabled ? "enable " : "gray ") + std::to_string(command));
}
bool FakePlatform::menu_item_checked(int32_t command) {
  return checked_items[command];
}
bool FakePlatform::append_menu_item(int32_t popup, uint32_t flags, int32_t command,
                                    std::string_view text) {
  record("append_menu " + std::to_string(popup) + " " + std::to_string(flags) + " " +
         std::to_string(command));
  menu_texts.emplace_back(text);
  return !menu_fails;
}
bool FakePlatform::insert_menu_item(int32_t popup, int32_t position, uint32_t flags,
                                    int32_t command, std::string_view text) {
  record("insert_menu " + std::to_string(popup) + " " + std::to_string(position) + " " +
         std::to_string(flags) + " " + std::to_string(command));
  menu_texts.emplace_back(text);
  return !menu_fails;
}
bool FakePlatform::insert_popup_menu(int32_t position, uint32_t flags, std::string_view text) {
  record("insert_popup " + std::to_string(position) + " " + std::to_string(flags));
  menu_texts.emplace_back(text);
  return !menu_fails;
}
int32_t FakePlatform::check_menu_item(int32_t popup, int32_t position, uint32_t flags) {
  record("check_menu " + std::to_string(popup) + " " + std::to_string(position) + " " +
         std::to_string(flags));
  return 8;
}
bool FakePlatform::delete_menu_item(int32_t popup, int32_t position) {
  record("delete_menu " + std::to_string(popup) + " " + std::to_string(position));
  return !menu_fails;
}
void FakePlatform::redraw_menu_bar() {
  record("redraw_menu_bar");
}

bool FakePlatform::pump_pending() {
  record("pump_pending");
  bool quit = false;
  while (!pending.empty()) {
    FakeMessage message = std::move(pending.front());
    pending.pop_front();
    if (message.kind == PumpEvent::quit) {
      quit = true;
      break;
    }
    if (message.action) message.action();
  }
  return !quit;
}

PumpEvent FakePlatform::wait_message() {
  if (waiting.empty() && on_idle) on_idle(*this);
  if (waiting.empty()) throw WouldBlock{};
  FakeMessage message = std::move(waiting.front());
  waiting.pop_front();
  if (message.action) message.action();
  return message.kind;
}

int64_t FakePlatform::milliseconds() {
  int64_t now = clock_ms;
  clock_ms += clock_step;
  return now;
}

Answer FakePlatform::message_box(Window owner, std::string_view text, MessageButtons) {
  record("message_box " + name(owner) + " " + std::string(text));
  message_texts.emplace_back(text);
  if (answers.empty()) return Answer::ok;
  Answer answer = answers.front();
  answers.pop_front();
  return answer;
}

std::optional<SaveChoice> FakePlatform::choose_save_file(std::string_view initial_name) {
  record("save_dialog " + std::string(initial_name));
  if (save_choices.empty()) return std::nullopt;
  std::optional<SaveChoice> choice = save_choices.front();
  save_choices.pop_front();
  return choice;
}

void FakePlatform::about_box() {
  record("about_box");
}
void FakePlatform::set_window_title(Window window, std::string_view title) {
  if (window == Window::io) io_title = title;
  record("title " + name(window) + " " + std::string(title));
}

Handle FakePlatform::create_file(std::string_view path) {
  record("create_file " + std::string(path));
  if (std::find(uncreatable.begin(), uncreatable.end(), path) != uncreatable.end()) {
    return kNoHandle;
  }
  files[std::string(path)].clear();
  open_files_.emplace_back(path);
  return open_files_.size();
}

bool FakePlatform::write_file(Handle file, std::string_view bytes) {
  if (writes_before_failure >= 0 && writes_++ >= writes_before_failure) return false;
  files[open_files_.at(file - 1)] += bytes;
  return true;
}

void FakePlatform::close_file(Handle file) {
  record("close_file " + open_files_.at(file - 1));
}

bool FakePlatform::set_clipboard_text(std::string_view text) {
  record("set_clipboard " + std::string(text));
  if (clipboard_fails) return false;
  clipboard = std::string(text);
  return true;
}

std::optional<std::string> FakePlatform::get_clipboard_text() {
  record("get_clipboard");
  return clipboard;
}

bool FakePlatform::clipboard_has_text() {
  return clipboard.has_value();
}

PrintFont FakePlatform::select_print_font(Handle, int32_t char_width) {
  record("print_font " + std::to_string(char_width));
  asked_char_width = char_width;
  if (print_font) return *print_font;
  return {char_width, printer ? printer->line_height : 1};
}

void FakePlatform::pump_printing() {
  ++printing_pumps;
}

std::optional<PrinterSetup> FakePlatform::choose_printer() {
  record("print_dialog");
  return printer;
}
void FakePlatform::open_printing_dialog(Handle) {
  printing_dialog_open = true;
  record("open_printing_dialog");
}
void FakePlatform::close_printing_dialog() {
  printing_dialog_open = false;
  record("close_printing_dialog");
}
bool FakePlatform::start_document(Handle, std::string_view name) {
  record("start_document " + std::string(name));
  return true;
}
bool FakePlatform::start_page(Handle) {
  record("start_page");
  if (pages_before_start_failure >= 0 &&
      static_cast<int>(pages.size()) >= pages_before_start_failure) {
    return false;
  }
  pages.emplace_back();
  return true;
}
void FakePlatform::print_text(Handle, int32_t x, int32_t y, std::string_view text) {
  pages.back().push_back({y, std::string(text), x});
  if (on_print_line) on_print_line(y);
}
bool FakePlatform::end_page(Handle) {
  record("end_page");
  return true;
}
bool FakePlatform::end_document(Handle) {
  document_ended = true;
  record("end_document");
  return true;
}
void FakePlatform::abort_document(Handle) {
  document_aborted = true;
  record("abort_document");
}
void FakePlatform::delete_printer(Handle) {
  record("delete_printer");
}

bool FakePlatform::set_timer(int32_t id, int32_t interval_ms) {
  record("set_timer " + std::to_string(id) + " " + std::to_string(interval_ms));
  if (timers_fail) return false;
  timers[id] = interval_ms;
  return true;
}
void FakePlatform::kill_timer(int32_t id) {
  record("kill_timer " + std::to_string(id));
  timers.erase(id);
}
bool FakePlatform::arm_tick_timer(int32_t delay_ms, int32_t resolution_ms,
                                  std::atomic<int32_t>* flag) {
  record("arm_tick " + std::to_string(delay_ms) + " " + std::to_string(resolution_ms));
  if (tick_fails) return false;
  flag->store(1);  // the timer thread fires at once here
  return true;
}

bool FakePlatform::create_graphics_window(std::string_view title, int32_t width, int32_t height) {
  record("create_graphics " + std::string(title) + " " + std::to_string(width) + "x" +
         std::to_string(height));
  return !graphics_fails;
}
void FakePlatform::set_map_mode(Handle, int32_t mode) {
  record("map_mode " + std::to_string(mode));
}
SystemInfo FakePlatform::system_info() {
  return info;
}

void FakePlatform::destroy_frame() {
  record("destroy_frame");
  frame_destroyed = true;
  // The frame's destroy message posts the quit message.
  waiting.push_back({PumpEvent::quit, nullptr});
  pending.push_back({PumpEvent::quit, nullptr});
}

void FakePlatform::end_run() {
  record("end_run");
  ++end_run_calls;
  throw RunEnded{};
}

}  // namespace tova::host::testing
