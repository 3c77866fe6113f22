// The Input/Output window's procedure: every message becomes a call of the
// core's IoWindow, which answers through the platform.
#include <windows.h>
// These need the types of windows.h first.
#include <windowsx.h>

#include <string_view>

#include "host/win32/context.h"

namespace tova::host::win32 {

namespace {

IoWindow& io() {
  return context().host->io();
}

Key key_of(WPARAM key) {
  switch (key) {
    case VK_HOME:
      return Key::home;
    case VK_END:
      return Key::end;
    case VK_PRIOR:
      return Key::page_up;
    case VK_NEXT:
      return Key::page_down;
    case VK_UP:
      return Key::up;
    case VK_DOWN:
      return Key::down;
    case VK_LEFT:
      return Key::left;
    case VK_RIGHT:
      return Key::right;
    case VK_INSERT:
      return Key::insert;
    case VK_DELETE:
      return Key::del;
    default:
      return Key::other;
  }
}

ScrollRequest request_of(WORD code) {
  switch (code) {
    case SB_LINEUP:
      return ScrollRequest::line_back;
    case SB_LINEDOWN:
      return ScrollRequest::line_forward;
    case SB_PAGEUP:
      return ScrollRequest::page_back;
    case SB_PAGEDOWN:
      return ScrollRequest::page_forward;
    case SB_THUMBPOSITION:
      return ScrollRequest::thumb_position;
    case SB_THUMBTRACK:
      return ScrollRequest::thumb_track;
    case SB_TOP:
      return ScrollRequest::to_start;
    case SB_BOTTOM:
      return ScrollRequest::to_end;
    default:
      return ScrollRequest::other;
  }
}

// The thumb's position from the bar itself: the message carries only 16 bits.
int64_t thumb_position(HWND window, int bar) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_TRACKPOS;
  if (!GetScrollInfo(window, bar, &info)) return 0;
  return info.nTrackPos;
}

void measure_font(HWND window) {
  HDC dc = GetDC(window);
  HGDIOBJ old_font = SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old_font);
  ReleaseDC(window, dc);
  io().on_create(metrics.tmAveCharWidth, metrics.tmHeight);
}

void paint(HWND window) {
  PAINTSTRUCT paint_info;
  HDC dc = BeginPaint(window, &paint_info);
  HGDIOBJ old_font = SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
  PaintPlan plan = io().paint(paint_info.rcPaint.top, paint_info.rcPaint.bottom);
  for (const TextRun& run : plan.runs) {
    SetTextColor(dc, run.selected ? RGB(255, 255, 255) : RGB(0, 0, 0));
    SetBkColor(dc, run.selected ? RGB(0, 0, 255) : RGB(255, 255, 255));
    TextOutA(dc, run.x, run.y, run.text.data(), static_cast<int>(run.text.size()));
  }
  SelectObject(dc, old_font);
  // The caret stays where it is; it is never scrolled into view by itself.
  SetCaretPos(plan.caret_x, plan.caret_y);
  EndPaint(window, &paint_info);
}

}  // namespace

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
      measure_font(window);
      return 0;
    case WM_SIZE:
      io().on_resize(LOWORD(lparam), HIWORD(lparam));
      break;  // and default processing
    case WM_PAINT:
      paint(window);
      return 0;
    case WM_CHAR:
      io().on_char(static_cast<uint8_t>(wparam));
      return 0;
    case WM_KEYDOWN:
      io().on_key(key_of(wparam));
      return 0;
    case WM_VSCROLL: {
      ScrollRequest request = request_of(LOWORD(wparam));
      io().vertical(request, thumb_position(window, SB_VERT));
      return 0;
    }
    case WM_HSCROLL: {
      ScrollRequest request = request_of(LOWORD(wparam));
      io().horizontal(request, thumb_position(window, SB_HORZ));
      return 0;
    }
    case WM_LBUTTONDOWN:
      // Captured so that a release outside the window still ends the drag.
      SetCapture(window);
      io().on_mouse_down(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
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
    case kWriteLineMessage: {
      // A record from the `write` hook; the core takes its line end off,
      // appends it and dispatches pending messages.
      int32_t count = static_cast<int32_t>(wparam);
      return c.host->write(reinterpret_cast<const char*>(lparam), &count, textio::kStdOutputHandle);
    }
    case WM_DESTROY:
      c.io_window = nullptr;
      break;
    default:
      break;
  }
  return DefMDIChildProcA(window, message, wparam, lparam);
}

}  // namespace tova::host::win32
