// Everything the console host's core cannot do by itself.
//
// The core (text store, line editor, view arithmetic, console hooks, close
// sequence, commands, save, clipboard, print and the services tables) knows no
// window system. It reaches one only through this interface, which a front end
// fills in one place (host/win32 for Windows; a recording fake in the tests).
//
// Conventions:
// - Windows are named by role (`Window`); the front end knows its handles.
//   Other system objects (files, printer devices, device contexts) cross as
//   opaque `Handle` values that only the front end interprets; 0 is none.
// - Pixel coordinates are client coordinates of the Input/Output window unless
//   an operation says otherwise. The core saturates them to the 32-bit range.
// - Line counts and scroll positions are 64-bit: the text store has no limit.
//   A front end whose scroll bars are narrower scales or clamps them.
// - Every message box carries the caption "TOVA" and a warning icon; the core
//   passes only the text, the owner and the buttons.
//
// Re-entry: `pump_pending`, `wait_message`, `message_box`, `choose_save_file`,
// `choose_printer`, `about_box` and the printer calls (through the spooler's
// abort procedure) dispatch window messages, so the core's message handlers
// may run nested inside them. The core keeps its state consistent before each
// such call; the front end must not assume otherwise.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tova::host {

using Handle = std::uintptr_t;  // opaque; 0 means none
inline constexpr Handle kNoHandle = 0;

enum class Window : uint8_t {
  none,      // no owner (message boxes without owner)
  frame,     // the frame window
  io,        // the Input/Output window
  graphics,  // the Graphics window, once opened
};

enum class ScrollBar : uint8_t { vertical, horizontal };

struct PixelRect {
  int32_t left, top, right, bottom;  // right and bottom exclusive
};

// What one wait on the message queue did.
enum class PumpEvent : uint8_t {
  dispatched,  // translated and dispatched to a window procedure
  translated,  // taken by the MDI system keys or the accelerator table
  quit,        // the quit message arrived; the queue is finished
};

enum class MessageButtons : uint8_t { ok, yes_no, yes_no_cancel };
enum class Answer : uint8_t { ok, yes, no, cancel };

// The save-file dialog's result.
struct SaveChoice {
  std::string path;   // full path (at most 259 characters)
  std::string title;  // its file-name part, shown as the window title
};

// The print dialog's result, with the printer's metrics already measured.
struct PrinterSetup {
  Handle device = kNoHandle;  // printer device context
  int32_t line_height = 0;    // font height plus external leading, device units
  int32_t page_height = 0;    // printable height, device units
  int32_t page_width = 0;     // printable width, device units
  int32_t dots_per_inch_x = 0;
  int32_t dots_per_inch_y = 0;
  bool page_range = false;  // the user chose pages from .. to
  int32_t from_page = 1;
  int32_t to_page = 1;
  int32_t copies = 1;
};

// The fixed-pitch printer font chosen for a job, as measured on the device.
struct PrintFont {
  int32_t char_width = 0;   // advance of one character, device units
  int32_t line_height = 0;  // height plus external leading, device units
};

struct SystemInfo {
  uint32_t page_size = 0;
  uint64_t lowest_address = 0;   // lowest application address
  uint64_t highest_address = 0;  // highest application address
  uint32_t processor_type = 0;
  uint32_t processor_count = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // --- Input/Output window drawing -------------------------------------
  // Marks the rectangle for the next paint, erasing its background.
  virtual void invalidate(Window window, const PixelRect& rect) = 0;
  // Marks the whole client area for the next paint.
  virtual void invalidate_all(Window window) = 0;
  // Moves the shown pixels of the Input/Output window by (dx, dy) and
  // invalidates the exposed strip (the core never moves them farther than
  // the window is large).
  virtual void scroll_pixels(int32_t dx, int32_t dy) = 0;
  // Paints the invalid part of the Input/Output window at once.
  virtual void update_now() = 0;
  // Draws `text` at (x, y) in the fixed-pitch font, black on white, at once
  // and outside a paint; the caret is hidden meanwhile.
  virtual void draw_text_now(int32_t x, int32_t y, std::string_view text) = 0;

  // --- Scroll bars of the Input/Output window --------------------------
  // Range 0 .. maximum, set without redrawing the bar.
  virtual void set_scroll_range(ScrollBar bar, int64_t maximum) = 0;
  // Thumb position, redrawing the bar.
  virtual void set_scroll_position(ScrollBar bar, int64_t position) = 0;

  // --- Caret (a solid block of one cell) -------------------------------
  virtual void create_caret(int32_t width, int32_t height) = 0;
  virtual void destroy_caret() = 0;
  virtual void show_caret() = 0;
  virtual void hide_caret() = 0;
  virtual void place_caret(int32_t x, int32_t y) = 0;

  // --- Menus ------------------------------------------------------------
  // Enables or grays the menu bar item with this command ID.
  virtual void enable_menu_item(int32_t command, bool enabled) = 0;
  // True when the menu bar item with this command ID carries a check mark.
  virtual bool menu_item_checked(int32_t command) = 0;
  // Appends an item to the `popup`-th (1-based) top-level popup with the
  // given MF_ flags and command ID; false when the system refused.
  virtual bool append_menu_item(int32_t popup, uint32_t flags, int32_t command,
                                std::string_view text) = 0;
  // Inserts an item into the `popup`-th popup before `position` (0-based;
  // a command ID unless the flags include MF_BYPOSITION).
  virtual bool insert_menu_item(int32_t popup, int32_t position, uint32_t flags, int32_t command,
                                std::string_view text) = 0;
  // Creates an empty popup and inserts it with `text` into the menu bar at
  // 0-based `position`; `flags` already include MF_POPUP | MF_BYPOSITION.
  virtual bool insert_popup_menu(int32_t position, uint32_t flags, std::string_view text) = 0;
  // Applies check flags to item `position` (0-based, by position) of the
  // `popup`-th popup; returns the previous check state (-1 if no such item).
  virtual int32_t check_menu_item(int32_t popup, int32_t position, uint32_t flags) = 0;
  // Deletes item `position` (0-based, by position) of the `popup`-th popup.
  virtual bool delete_menu_item(int32_t popup, int32_t position) = 0;
  virtual void redraw_menu_bar() = 0;

  // --- Message pumps ----------------------------------------------------
  // Dispatches every message already queued, then returns. Returns false
  // when the quit message was among them (it is consumed).
  virtual bool pump_pending() = 0;
  // Waits for one message and handles it (MDI system keys, accelerators,
  // else translate and dispatch); says which of these happened.
  virtual PumpEvent wait_message() = 0;
  // A monotonic clock in milliseconds: output is painted once per interval.
  virtual int64_t milliseconds() = 0;

  // --- Dialogs ------------------------------------------------------------
  virtual Answer message_box(Window owner, std::string_view text, MessageButtons buttons) = 0;
  // The save-file dialog, starting with `initial_name`; nullopt when cancelled.
  virtual std::optional<SaveChoice> choose_save_file(std::string_view initial_name) = 0;
  // The modal About box (its fields come from `about_fields`).
  virtual void about_box() = 0;
  virtual void set_window_title(Window window, std::string_view title) = 0;

  // --- Files (the saved text) ----------------------------------------------
  // Creates or replaces `path` for writing, without sharing; kNoHandle on failure.
  virtual Handle create_file(std::string_view path) = 0;
  // Writes all of `bytes`; false on failure.
  virtual bool write_file(Handle file, std::string_view bytes) = 0;
  virtual void close_file(Handle file) = 0;

  // --- Clipboard (8-bit text ending in NUL) ----------------------------------
  // Replaces the clipboard's contents with `text`; false when the clipboard
  // could not be opened or no memory was available.
  virtual bool set_clipboard_text(std::string_view text) = 0;
  // The clipboard's text up to its NUL; nullopt when it holds no text or
  // could not be opened.
  virtual std::optional<std::string> get_clipboard_text() = 0;
  // True when the clipboard holds text (without opening it).
  virtual bool clipboard_has_text() = 0;

  // --- Printer --------------------------------------------------------------
  // The print dialog (owner the frame, pages 1 .. 32767 allowed, from 1 to 1,
  // one copy, collated); nullopt when cancelled or no device was returned.
  virtual std::optional<PrinterSetup> choose_printer() = 0;
  // Installs the abort procedure, shows the modeless Printing dialog and
  // disables the frame. Its Cancel must call `PrintCommand::cancel`; the
  // abort procedure returns `PrintCommand::continuing`.
  virtual void open_printing_dialog(Handle device) = 0;
  // Removes the Printing dialog and enables the frame again.
  virtual void close_printing_dialog() = 0;
  // Selects into the printer a fixed-pitch font whose characters are at
  // most `char_width` device units wide, and measures it.
  virtual PrintFont select_print_font(Handle device, int32_t char_width) = 0;
  // Handles the messages queued meanwhile (the Printing dialog takes its
  // own), as the abort procedure does, so that Cancel is seen within a page.
  virtual void pump_printing() = 0;
  virtual bool start_document(Handle device, std::string_view name) = 0;
  virtual bool start_page(Handle device) = 0;
  virtual void print_text(Handle device, int32_t x, int32_t y, std::string_view text) = 0;
  virtual bool end_page(Handle device) = 0;
  virtual bool end_document(Handle device) = 0;
  // Abandons a started document after a failure or a cancel.
  virtual void abort_document(Handle device) = 0;
  virtual void delete_printer(Handle device) = 0;

  // --- Timers ----------------------------------------------------------------
  // A periodic timer of the frame window; its ticks reach `Host::on_timer`.
  virtual bool set_timer(int32_t id, int32_t interval_ms) = 0;
  virtual void kill_timer(int32_t id) = 0;
  // A one-shot timer on the system's timer thread whose callback only stores
  // 1 into `flag`; false when none could be armed.
  virtual bool arm_tick_timer(int32_t delay_ms, int32_t resolution_ms,
                              std::atomic<int32_t>* flag) = 0;

  // --- Graphics window -------------------------------------------------------
  // Creates the Graphics window as an MDI child at (15, 15) with this client
  // size in pixels; false when it could not be created.
  virtual bool create_graphics_window(std::string_view title, int32_t width, int32_t height) = 0;
  // Sets the mapping mode (1 .. 8) of a device context during a paint.
  virtual void set_map_mode(Handle device_context, int32_t mode) = 0;

  // --- System -----------------------------------------------------------------
  virtual SystemInfo system_info() = 0;
  // Destroys the frame window; its destroy message posts the quit message.
  virtual void destroy_frame() = 0;
  // The run-time's end_run: closes every unit, calls `finish(0)` and ends
  // the process with status 0. Does not return in the product (a test fake
  // may throw to unwind).
  virtual void end_run() = 0;
};

}  // namespace tova::host
