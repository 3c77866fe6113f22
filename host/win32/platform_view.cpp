// Drawing, scrolling, scroll bars and caret of the Input/Output window.
#include <algorithm>
#include <climits>
#include <string>

#include "host/win32/context.h"
#include "host/win32/win32_platform.h"

namespace tova::host::win32 {

namespace {

HWND io() {
  return context().io_window;
}

// Scroll bars take int positions; the core's 64-bit values are clamped (a
// line count past INT_MAX would need a store of many gigabytes first).
int to_int(int64_t value) {
  return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

int bar_of(ScrollBar bar) {
  return bar == ScrollBar::vertical ? SB_VERT : SB_HORZ;
}

RECT to_rect(const PixelRect& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

}  // namespace

HWND window_of(Window role) {
  Context& c = context();
  switch (role) {
    case Window::frame:
      return c.frame;
    case Window::io:
      return c.io_window;
    case Window::graphics:
      return c.graphics_window;
    case Window::none:
      break;
  }
  return nullptr;
}

void Win32Platform::invalidate(Window window, const PixelRect& rect) {
  if (HWND handle = window_of(window)) {
    RECT area = to_rect(rect);
    InvalidateRect(handle, &area, TRUE);
  }
}

void Win32Platform::invalidate_all(Window window) {
  if (HWND handle = window_of(window)) InvalidateRect(handle, nullptr, TRUE);
}

void Win32Platform::scroll_pixels(int32_t dx, int32_t dy) {
  if (io() != nullptr) ScrollWindow(io(), dx, dy, nullptr, nullptr);
}

void Win32Platform::update_now() {
  if (io() != nullptr) UpdateWindow(io());
}

void Win32Platform::draw_text_now(int32_t x, int32_t y, std::string_view text) {
  if (io() == nullptr) return;
  HDC dc = GetDC(io());
  HGDIOBJ old_font = SelectObject(dc, text_font(io()));
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, RGB(255, 255, 255));
  HideCaret(io());
  draw_text(dc, x, y, text, context().cell_width);
  ShowCaret(io());
  SelectObject(dc, old_font);
  ReleaseDC(io(), dc);
}

void Win32Platform::set_scroll_range(ScrollBar bar, int64_t maximum) {
  if (io() != nullptr) SetScrollRange(io(), bar_of(bar), 0, to_int(maximum), FALSE);
}

void Win32Platform::set_scroll_position(ScrollBar bar, int64_t position) {
  if (io() != nullptr) SetScrollPos(io(), bar_of(bar), to_int(position), TRUE);
}

void Win32Platform::create_caret(int32_t width, int32_t height) {
  if (io() != nullptr) CreateCaret(io(), nullptr, width, height);
}

void Win32Platform::destroy_caret() {
  DestroyCaret();
}

void Win32Platform::show_caret() {
  if (io() != nullptr) ShowCaret(io());
}

void Win32Platform::hide_caret() {
  if (io() != nullptr) HideCaret(io());
}

void Win32Platform::place_caret(int32_t x, int32_t y) {
  SetCaretPos(x, y);
}

void Win32Platform::set_window_title(Window window, std::string_view title) {
  if (HWND handle = window_of(window)) SetWindowTextA(handle, std::string(title).c_str());
}

}  // namespace tova::host::win32
