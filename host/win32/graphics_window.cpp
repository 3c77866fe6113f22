// The Graphics window: the program's paint routine draws it.
#include "host/win32/context.h"

namespace tova::host::win32 {

LRESULT CALLBACK graphics_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Context& c = context();
  switch (message) {
    case WM_CREATE:
      c.graphics_window = window;
      gray_own_close_item(window);
      return 0;
    case WM_PAINT: {
      if (c.host == nullptr) break;
      // Without a paint routine this validates the area, as default
      // processing would.
      PAINTSTRUCT paint_info;
      HDC dc = BeginPaint(window, &paint_info);
      c.host->services().paint_graphics(reinterpret_cast<Handle>(dc));
      EndPaint(window, &paint_info);
      return 0;
    }
    default:
      break;
  }
  return DefMDIChildProcA(window, message, wparam, lparam);
}

}  // namespace tova::host::win32
