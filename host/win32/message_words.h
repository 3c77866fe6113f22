// The plain values the core takes, out of a window message's parameter
// words: the core never sees a WPARAM, an LPARAM or a 16-bit word.
#pragma once

#include <windows.h>

#include <cstdint>

#include "host/core/io_window.h"

namespace tova::host::win32 {

struct ClientSize {
  int32_t width, height;
};

// The menu command of a command message (the high word only says whether
// a menu, an accelerator or a control sent it).
int32_t command_id(WPARAM wparam);
// The timer of a timer message: the frame's timers have 16-bit IDs.
int32_t timer_id(WPARAM wparam);
// The new client size of a size message.
ClientSize client_size(LPARAM lparam);
// The request of a scroll bar message. Its position word is never used:
// it has 16 bits only (the thumb is read from the bar instead).
ScrollRequest scroll_request(WPARAM wparam);
// The key of a key-down message.
Key key_of(WPARAM virtual_key);
// Whole notches of a wheel message (> 0 away from the user); the rest of
// a fine wheel's movement waits in `pending` for the next message.
int32_t wheel_notches(WPARAM wparam, int* pending);

}  // namespace tova::host::win32
