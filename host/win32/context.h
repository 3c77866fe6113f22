// The Windows front end's own state: the handles behind the core's window
// roles, the core itself, and the window procedures that feed it.
//
// Every procedure here runs on the one thread, nested inside a message pump
// of the core (console hooks, `finish`) or inside a modal loop of a dialog
// that a command handler opened. None may start a statement of the run-time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "host/core/host.h"

namespace tova::host::win32 {

struct Context {
  HINSTANCE instance = nullptr;
  HWND frame = nullptr;
  HWND client = nullptr;
  HWND io_window = nullptr;
  HWND graphics_window = nullptr;
  HWND printing_dialog = nullptr;
  HFONT print_font = nullptr;  // the job's font, selected into the printer
  HFONT io_font = nullptr;     // the Input/Output window's font when scaled
  UINT io_font_dpi = 0;
  int wheel_delta = 0;  // wheel movement short of a notch
  int cell_width = 1;   // the Input/Output font's character width
  HMENU menu = nullptr;
  HMENU window_menu = nullptr;
  HACCEL accelerators = nullptr;
  Host* host = nullptr;
};

// The process's one front end.
Context& context();

HWND window_of(Window role);

LRESULT CALLBACK frame_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK io_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK graphics_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK about_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK printing_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
BOOL CALLBACK abort_procedure(HDC printer, int error);

// One message through the order every pump keeps: the MDI system keys, the
// accelerators, else translate and dispatch. True when it was dispatched.
bool handle_message(MSG& message);

// An address as the About box shows it: eight hexadecimal digits while it
// fits 32 bits, all of its digits on a 64-bit system.
std::string address_text(uint64_t address);

// The Input/Output window's font for the window's DPI, and that DPI.
HFONT text_font(HWND window);
UINT window_dpi(HWND window);
// Draws a line's bytes in the cell grid (valid UTF-8 as its characters).
void draw_text(HDC dc, int x, int y, std::string_view text, int cell_width);

// Grays the Close item of a child window's own system menu: neither child
// can be closed by itself.
void gray_own_close_item(HWND window);

}  // namespace tova::host::win32
