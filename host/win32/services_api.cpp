#include "host/win32/services_api.h"

#include <string_view>

#include "host/win32/context.h"

namespace tova::host::win32 {

namespace {
Services& services() {
  return context().host->services();
}
}  // namespace

int32_t open_graphics_window(int32_t* width, int32_t* height, const char* title, int32_t* map_mode,
                             const void* paint_routine, size_t title_length) {
  return services().open_graphics_window(width, height, std::string_view(title, title_length),
                                         map_mode, routine_or_none<PaintRoutine>(paint_routine));
}

void wait_tick() {
  services().wait_tick();
}

int32_t start_timer(int32_t* id, int32_t* interval_ms, const void* routine) {
  return services().start_timer(id, interval_ms, routine_or_none<TimerRoutine>(routine));
}

void stop_timer(int32_t* id) {
  services().stop_timer(id);
}

int32_t append_menu_item(int32_t* menu, int32_t* flags, const char* text, const void* routine,
                         size_t text_length) {
  return services().append_menu_item(menu, flags, std::string_view(text, text_length),
                                     routine_or_none<MenuRoutine>(routine));
}

int32_t insert_menu_item(int32_t* menu, int32_t* item, int32_t* flags, const char* text,
                         const void* routine, size_t text_length) {
  return services().insert_menu_item(menu, item, flags, std::string_view(text, text_length),
                                     routine_or_none<MenuRoutine>(routine));
}

int32_t check_menu_item(int32_t* menu, int32_t* item, int32_t* flags) {
  return services().check_menu_item(menu, item, flags);
}

int32_t delete_menu_item(int32_t* menu, int32_t* item) {
  return services().delete_menu_item(menu, item);
}

}  // namespace tova::host::win32
