// The core's platform interface carried out with USER32, GDI32, COMDLG32,
// KERNEL32 and WINMM. Window roles are looked up in the front end's context.
#pragma once

#include "host/core/platform.h"

namespace tova::host::win32 {

class Win32Platform final : public Platform {
 public:
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
};

}  // namespace tova::host::win32
