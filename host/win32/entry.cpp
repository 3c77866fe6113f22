// The process entry of tova.exe.
#include <float.h>
#include <windows.h>

#include <cfenv>

#include "host/win32/host_main.h"
#include "textio/io_api.h"

namespace {

// Double precision, round to nearest, every exception masked: the analysis
// results are defined for exactly this arithmetic.
void set_floating_point_control() {
  _fpreset();
  _controlfp(_RC_NEAR, _MCW_RC);
  _controlfp(_MCW_EM, _MCW_EM);
#if defined(__i386__) || defined(_M_IX86)
  // Only the x87 unit has a precision field; SSE2 arithmetic is double anyway.
  _controlfp(_PC_53, _MCW_PC);
#endif
  std::fesetround(FE_TONEAREST);
}

int requested_show_state() {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  if (startup.dwFlags & STARTF_USESHOWWINDOW) return startup.wShowWindow;
  return SW_SHOWDEFAULT;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  set_floating_point_control();
  // The program takes no arguments: the tail is passed on and not used.
  const char* tail = tova::host::win32::command_line_tail(GetCommandLineA());
  int status = tova::host::win32::host_main(GetModuleHandleA(nullptr), nullptr, tail,
                                            requested_show_state());
  textio::normal_exit(status);
}
