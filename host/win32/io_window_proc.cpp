// The Input/Output window's procedure: every message becomes a call of the
// core's IoWindow, which answers through the platform.
#include <windows.h>
// These need the types of windows.h first.
#include <windowsx.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "host/win32/context.h"
#include "host/win32/message_words.h"

namespace tova::host::win32 {

namespace {

IoWindow& io() {
  return context().host->io();
}

// The thumb's position from the bar itself: the message carries only 16 bits.
int64_t thumb_position(HWND window, int bar) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_TRACKPOS;
  if (!GetScrollInfo(window, bar, &info)) return 0;
  return info.nTrackPos;
}

// The cell size of the window's font, measured once per font.
void measure_font(HWND window, bool first) {
  HDC dc = GetDC(window);
  HGDIOBJ old_font = SelectObject(dc, text_font(window));
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old_font);
  ReleaseDC(window, dc);
  // Kept for drawing: the core has the cell size too, but is not asked.
  context().cell_width = std::max<int>(metrics.tmAveCharWidth, 1);
  if (first) {
    io().on_create(metrics.tmAveCharWidth, metrics.tmHeight);
  } else {
    io().set_cell_size(metrics.tmAveCharWidth, metrics.tmHeight);
  }
}

int64_t wheel_lines() {
  UINT lines = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  return lines == WHEEL_PAGESCROLL ? kWheelPage : static_cast<int64_t>(lines);
}

void paint(HWND window) {
  PAINTSTRUCT paint_info;
  HDC dc = BeginPaint(window, &paint_info);
  HGDIOBJ old_font = SelectObject(dc, text_font(window));
  PaintPlan plan = io().paint(paint_info.rcPaint.top, paint_info.rcPaint.bottom);
  for (const TextRun& run : plan.runs) {
    SetTextColor(dc, run.selected ? RGB(255, 255, 255) : RGB(0, 0, 0));
    SetBkColor(dc, run.selected ? RGB(0, 0, 255) : RGB(255, 255, 255));
    draw_text(dc, run.x, run.y, run.text, context().cell_width);
  }
  SelectObject(dc, old_font);
  // The caret stays where it is; it is never scrolled into view by itself.
  SetCaretPos(plan.caret_x, plan.caret_y);
  EndPaint(window, &paint_info);
}

}  // namespace

HFONT text_font(HWND window) {
  Context& c = context();
  UINT dpi = window_dpi(window);
  if (c.io_font != nullptr && c.io_font_dpi == dpi) return c.io_font;
  if (c.io_font != nullptr) DeleteObject(c.io_font);
  c.io_font = nullptr;
  c.io_font_dpi = dpi;
  // At 100 % the system's fixed font; scaled, a TrueType one of the same
  // cell height, drawn crisply at every size.
  if (dpi != USER_DEFAULT_SCREEN_DPI) {
    c.io_font =
        CreateFontA(-MulDiv(13, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI), 0, 0, 0, FW_NORMAL,
                    FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    CLEARTYPE_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New");
  }
  return c.io_font != nullptr ? c.io_font : static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT));
}

UINT window_dpi(HWND window) {
  // Present from Windows 10 on; older systems have one DPI for everything.
  using DpiForWindow = UINT(WINAPI*)(HWND);
  static const auto dpi_for_window = reinterpret_cast<DpiForWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (dpi_for_window != nullptr && window != nullptr) {
    if (UINT dpi = dpi_for_window(window)) return dpi;
  }
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

void draw_text(HDC dc, int x, int y, std::string_view text, int cell_width) {
  // Text that is valid UTF-8 beyond ASCII (a title from a modern editor) is
  // drawn as such, one cell per character; other bytes as the code page has them.
  bool ascii = true;
  for (char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (!ascii && !text.empty()) {
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                static_cast<int>(text.size()), nullptr, 0);
    if (n > 0) {
      std::wstring wide(static_cast<size_t>(n), L'\0');
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                          wide.data(), n);
      std::vector<INT> advances(static_cast<size_t>(n), cell_width);
      ExtTextOutW(dc, x, y, 0, nullptr, wide.data(), static_cast<UINT>(n), advances.data());
      return;
    }
  }
  TextOutA(dc, x, y, text.data(), static_cast<int>(text.size()));
}

void gray_own_close_item(HWND window) {
  if (HMENU system_menu = GetSystemMenu(window, FALSE)) {
    EnableMenuItem(system_menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  }
}

LRESULT CALLBACK io_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Context& c = context();
  if (c.host == nullptr) return DefMDIChildProcA(window, message, wparam, lparam);
  switch (message) {
    case WM_CREATE:
      c.io_window = window;
      gray_own_close_item(window);
      measure_font(window, true);
      return 0;
    case WM_SIZE:
      // Minimized, the window shows nothing; restored, the view finds the caret.
      if (wparam == SIZE_MINIMIZED) {
        io().on_resize(0, 0);
      } else {
        ClientSize size = client_size(lparam);
        io().on_resize(size.width, size.height);
      }
      break;  // and default processing
    case WM_DPICHANGED_AFTERPARENT:
      measure_font(window, false);
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_PAINT:
      paint(window);
      return 0;
    case WM_CHAR:
      io().on_char(static_cast<uint8_t>(wparam));
      return 0;
    case WM_KEYDOWN:
      io().on_key(key_of(wparam), GetKeyState(VK_SHIFT) < 0);
      return 0;
    case WM_MOUSEWHEEL:
      if (int32_t notches = wheel_notches(wparam, &c.wheel_delta)) {
        io().on_wheel(notches, wheel_lines());
      }
      return 0;
    case WM_VSCROLL:
      io().vertical(scroll_request(wparam), thumb_position(window, SB_VERT));
      return 0;
    case WM_HSCROLL:
      io().horizontal(scroll_request(wparam), thumb_position(window, SB_HORZ));
      return 0;
    case WM_LBUTTONDOWN:
      // Captured so that a release outside the window still ends the drag.
      SetCapture(window);
      io().on_mouse_down(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam), (wparam & MK_SHIFT) != 0);
      return 0;
    case WM_MOUSEMOVE:
      if (wparam & MK_LBUTTON) io().on_mouse_move(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() == window) ReleaseCapture();
      io().on_mouse_up();
      return 0;
    case WM_LBUTTONDBLCLK:
      io().on_double_click(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      return 0;
    case WM_SETFOCUS:
      io().on_focus(true);
      return 0;
    case WM_KILLFOCUS:
      io().on_focus(false);
      return 0;
    case WM_MDIACTIVATE:
      SetFocus(window);
      break;
    case WM_DESTROY:
      c.io_window = nullptr;
      break;
    default:
      break;
  }
  return DefMDIChildProcA(window, message, wparam, lparam);
}

}  // namespace tova::host::win32
