// The menu bar's items: states, check marks and the program's own items.
#include <string>

#include "host/win32/context.h"
#include "host/win32/win32_platform.h"

namespace tova::host::win32 {

namespace {

HMENU popup_of(int32_t popup) {
  HMENU bar = context().menu;
  if (bar == nullptr || popup < 1) return nullptr;
  return GetSubMenu(bar, popup - 1);
}

}  // namespace

void Win32Platform::enable_menu_item(int32_t command, bool enabled) {
  if (HMENU bar = context().menu) {
    EnableMenuItem(bar, static_cast<UINT>(command),
                   MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  }
}

bool Win32Platform::menu_item_checked(int32_t command) {
  HMENU bar = context().menu;
  if (bar == nullptr) return false;
  UINT state = GetMenuState(bar, static_cast<UINT>(command), MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && (state & MF_CHECKED) != 0;
}

bool Win32Platform::append_menu_item(int32_t popup, uint32_t flags, int32_t command,
                                     std::string_view text) {
  HMENU menu = popup_of(popup);
  return menu != nullptr &&
         AppendMenuA(menu, flags, static_cast<UINT_PTR>(command), std::string(text).c_str());
}

bool Win32Platform::insert_menu_item(int32_t popup, int32_t position, uint32_t flags,
                                     int32_t command, std::string_view text) {
  HMENU menu = popup_of(popup);
  return menu != nullptr && InsertMenuA(menu, static_cast<UINT>(position), flags,
                                        static_cast<UINT_PTR>(command), std::string(text).c_str());
}

bool Win32Platform::insert_popup_menu(int32_t position, uint32_t flags, std::string_view text) {
  HMENU bar = context().menu;
  if (bar == nullptr) return false;
  HMENU popup = CreatePopupMenu();
  if (popup == nullptr) return false;
  if (!InsertMenuA(bar, static_cast<UINT>(position), flags, reinterpret_cast<UINT_PTR>(popup),
                   std::string(text).c_str())) {
    DestroyMenu(popup);
    return false;
  }
  return true;
}

int32_t Win32Platform::check_menu_item(int32_t popup, int32_t position, uint32_t flags) {
  HMENU menu = popup_of(popup);
  if (menu == nullptr) return -1;
  return static_cast<int32_t>(CheckMenuItem(menu, static_cast<UINT>(position), flags));
}

bool Win32Platform::delete_menu_item(int32_t popup, int32_t position) {
  HMENU menu = popup_of(popup);
  return menu != nullptr && DeleteMenu(menu, static_cast<UINT>(position), MF_BYPOSITION);
}

void Win32Platform::redraw_menu_bar() {
  if (context().frame != nullptr) DrawMenuBar(context().frame);
}

}  // namespace tova::host::win32
