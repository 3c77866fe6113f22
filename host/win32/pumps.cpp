// The two message pumps. Each message goes first to the MDI system keys of
// the client window, then to the accelerator table (which takes Ctrl+C, V, X
// and Z before the Input/Output window could see them), else it is
// translated and dispatched.
#include "host/win32/context.h"
#include "host/win32/win32_platform.h"

namespace tova::host::win32 {

bool handle_message(MSG& message) {
  Context& c = context();
  if (c.client != nullptr && TranslateMDISysAccel(c.client, &message)) return false;
  if (c.frame != nullptr && c.accelerators != nullptr &&
      TranslateAcceleratorA(c.frame, c.accelerators, &message)) {
    return false;
  }
  TranslateMessage(&message);
  DispatchMessageA(&message);
  return true;
}

bool Win32Platform::pump_pending() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) return false;
    handle_message(message);
  }
  return true;
}

int64_t Win32Platform::milliseconds() {
  return static_cast<int64_t>(GetTickCount64());
}

PumpEvent Win32Platform::wait_message() {
  MSG message;
  BOOL got = GetMessageA(&message, nullptr, 0, 0);
  // -1 means the queue itself failed; nothing more can arrive then either.
  if (got == 0 || got == -1) return PumpEvent::quit;
  return handle_message(message) ? PumpEvent::dispatched : PumpEvent::translated;
}

}  // namespace tova::host::win32
