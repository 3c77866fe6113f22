#include "host/win32/host_main.h"

#include "analysis/driver.h"
#ifdef TOVA_HAVE_KERNELS
#include "analysis/kernels/workers.h"
#endif
#include "host/win32/context.h"
#include "host/win32/resource.h"
#include "host/win32/win32_platform.h"
#include "textio/console_hooks.h"

namespace tova::host::win32 {

namespace {

constexpr int kPathLimit = 260;

bool register_class(const char* name, WNDPROC procedure, UINT style, int icon, LPCSTR cursor,
                    HBRUSH background) {
  Context& c = context();
  WNDCLASSA window_class{};
  window_class.style = style;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = c.instance;
  window_class.hIcon = LoadIconA(c.instance, MAKEINTRESOURCEA(icon));
  window_class.hCursor = LoadCursorA(nullptr, cursor);
  window_class.hbrBackground = background;
  window_class.lpszClassName = name;
  return RegisterClassA(&window_class) != 0;
}

bool register_classes() {
  return register_class("MDIFRAME", frame_procedure, CS_HREDRAW | CS_VREDRAW, IDI_FRAME, IDC_ARROW,
                        reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1)) &&
         register_class("MDICHILD", io_procedure, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, IDI_CHILD,
                        IDC_IBEAM, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))) &&
         register_class("MDIGRAPH", graphics_procedure, CS_HREDRAW | CS_VREDRAW, IDI_CHILD,
                        IDC_ARROW, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

// The core's hooks, with one Windows matter added: `finish` after a
// start-up failure has no window to wait for and returns at once.
textio::ConsoleHooks window_hooks(Host& host) {
  textio::ConsoleHooks hooks = host.console_hooks();
  hooks.finish = [&host](int32_t status) {
    if (context().frame == nullptr) return;
    host.finish(status);
  };
  return hooks;
}

HWND create_io_window() {
  Context& c = context();
  MDICREATESTRUCTA child{};
  child.szClass = "MDICHILD";
  child.szTitle = "Input/Output";
  child.hOwner = c.instance;
  child.x = 15;
  child.y = 15;
  child.cx = 600;
  child.cy = 300;
  child.style = WS_VSCROLL | WS_HSCROLL;
  return reinterpret_cast<HWND>(
      SendMessageA(c.client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&child)));
}

}  // namespace

Context& context() {
  static Context the_context;
  return the_context;
}

std::string frame_title(std::string_view program_path) {
  size_t slash = program_path.find_last_of('\\');
  return std::string(slash == std::string_view::npos ? program_path
                                                     : program_path.substr(slash + 1));
}

const char* command_line_tail(const char* command_line) {
  const char* p = command_line;
  if (*p == '"') {
    ++p;
    while (*p != '\0' && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p != '\0' && *p != ' ' && *p != '\t') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

int host_main(HINSTANCE instance, HINSTANCE previous, const char*, int show_state) {
  // The core lives as long as the process: the run ends it from inside.
  static Win32Platform platform;
  static Host host(platform);
  Context& c = context();
  c.instance = instance;
  c.host = &host;

  textio::ConsoleHooks hooks = window_hooks(host);
  textio::install_console_hooks(hooks);
  textio::install_exit_hooks(hooks);

  char program_path[kPathLimit] = {};
  GetModuleFileNameA(nullptr, program_path, kPathLimit);
  std::string title = frame_title(program_path);

  if (previous != nullptr) return 0;
  if (!register_classes()) return 0;

  c.menu = LoadMenuA(instance, "MainMenu");
  c.window_menu = c.menu != nullptr ? GetSubMenu(c.menu, 2) : nullptr;
  c.accelerators = LoadAcceleratorsA(instance, "MDIAccel");

  // The frame creates the MDI client while it is being created.
  HWND frame = CreateWindowExA(0, "MDIFRAME", title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                               c.menu, instance, nullptr);
  if (frame == nullptr) return 6;
  ShowWindow(frame, show_state);
  UpdateWindow(frame);

  if (create_io_window() == nullptr) return 6;

  host.begin_run();
#ifdef TOVA_HAVE_KERNELS
  // The window stays responsive while the worker threads compute.
  tova::kernels::set_wait_hook([] { context().host->pump_while_computing(); });
#endif
  tova::run_analysis();
}

}  // namespace tova::host::win32
