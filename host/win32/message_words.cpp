#include "host/win32/message_words.h"

namespace tova::host::win32 {

int32_t command_id(WPARAM wparam) {
  return LOWORD(wparam);
}

int32_t timer_id(WPARAM wparam) {
  return LOWORD(wparam);
}

ClientSize client_size(LPARAM lparam) {
  return {LOWORD(lparam), HIWORD(lparam)};
}

ScrollRequest scroll_request(WPARAM wparam) {
  switch (LOWORD(wparam)) {
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

Key key_of(WPARAM virtual_key) {
  switch (virtual_key) {
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

int32_t wheel_notches(WPARAM wparam, int* pending) {
  *pending += GET_WHEEL_DELTA_WPARAM(wparam);
  int notches = *pending / WHEEL_DELTA;
  *pending -= notches * WHEEL_DELTA;
  return notches;
}

}  // namespace tova::host::win32
