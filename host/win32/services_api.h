// The host's services for the program it runs: the Graphics window, the wait
// tick, timers and menu items. Every argument comes by reference, as the
// program's language passes it; a text comes with its length (hidden last
// argument) and is blank-padded; a routine argument that points at an
// integer 0 is "none".
//
// Each call runs on the program's thread between its statements; the routines
// bound to timers, menu items and the paint run later, nested in a message
// pump, and must not start a statement of the run-time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/core/services.h"

namespace tova::host::win32 {

// A routine argument as the program passes it: a routine or a reference to 0.
template <class Routine>
Routine routine_or_none(const void* argument) {
  if (argument == nullptr || *static_cast<const int32_t*>(argument) == 0) return nullptr;
  return reinterpret_cast<Routine>(const_cast<void*>(argument));
}

int32_t open_graphics_window(int32_t* width, int32_t* height, const char* title, int32_t* map_mode,
                             const void* paint_routine, size_t title_length);
void wait_tick();
int32_t start_timer(int32_t* id, int32_t* interval_ms, const void* routine);
void stop_timer(int32_t* id);
int32_t append_menu_item(int32_t* menu, int32_t* flags, const char* text, const void* routine,
                         size_t text_length);
int32_t insert_menu_item(int32_t* menu, int32_t* item, int32_t* flags, const char* text,
                         const void* routine, size_t text_length);
int32_t check_menu_item(int32_t* menu, int32_t* item, int32_t* flags);
int32_t delete_menu_item(int32_t* menu, int32_t* item);

}  // namespace tova::host::win32
