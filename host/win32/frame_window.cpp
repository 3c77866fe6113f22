// The frame window: the MDI client, the menu commands, the program's
// timers and the close sequence.
#include "host/win32/context.h"
#include "host/win32/message_words.h"
#include "host/win32/resource.h"

namespace tova::host::win32 {

// The resource script's menu IDs are the core's commands.
static_assert(IDM_SAVE == kCmdSave && IDM_SAVE_AS == kCmdSaveAs && IDM_PRINT == kCmdPrint &&
              IDM_ABOUT == kCmdAbout && IDM_EXIT == kCmdExit && IDM_UNDO == kCmdUndo);
static_assert(IDM_CUT == kCmdCut && IDM_COPY == kCmdCopy && IDM_PASTE == kCmdPaste &&
              IDM_DELETE == kCmdDelete && IDM_SELECT_ALL == kCmdSelectAll);
static_assert(IDM_TILE == kCmdTile && IDM_CASCADE == kCmdCascade && IDM_ARRANGE == kCmdArrange);

namespace {

LRESULT default_frame(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefFrameProcA(window, context().client, message, wparam, lparam);
}

void create_client(HWND frame) {
  Context& c = context();
  CLIENTCREATESTRUCT client{};
  client.hWindowMenu = c.window_menu;
  client.idFirstChild = IDM_FIRST_CHILD;
  c.client = CreateWindowExA(0, "MDICLIENT", nullptr,
                             WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, 0,
                             0, 0, 0, frame, reinterpret_cast<HMENU>(1), c.instance, &client);
}

// The Window menu does what its items say.
void arrange_children(int command) {
  HWND client = context().client;
  if (client == nullptr) return;
  switch (command) {
    case IDM_CASCADE:
      SendMessageA(client, WM_MDICASCADE, 0, 0);
      break;
    case IDM_TILE:
      SendMessageA(client, WM_MDITILE, MDITILE_HORIZONTAL, 0);
      break;
    case IDM_ARRANGE:
      SendMessageA(client, WM_MDIICONARRANGE, 0, 0);
      break;
    default:
      break;
  }
}

}  // namespace

LRESULT CALLBACK frame_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Context& c = context();
  switch (message) {
    case WM_CREATE:
      c.frame = window;
      create_client(window);
      return 0;
    case WM_COMMAND: {
      int32_t command = command_id(wparam);
      if (command == IDM_CASCADE || command == IDM_TILE || command == IDM_ARRANGE) {
        arrange_children(command);
        return default_frame(window, message, wparam, lparam);
      }
      // Dialogs and message boxes of a command pump messages: this procedure
      // and the Input/Output window's may run again inside on_command.
      if (c.host != nullptr && c.host->on_command(command) == FrameAction::done) return 0;
      return default_frame(window, message, wparam, lparam);
    }
    case WM_DPICHANGED: {
      // Moved to a screen of another scale: take the size the system offers.
      const RECT* area = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window, nullptr, area->left, area->top, area->right - area->left,
                   area->bottom - area->top, SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_INITMENU:
    case WM_INITMENUPOPUP:
      // Also sent before an accelerator's command: Ctrl+V finds Paste current.
      if (c.host != nullptr) c.host->on_menu_opening();
      return default_frame(window, message, wparam, lparam);
    case WM_TIMER:
      if (c.host != nullptr && c.host->on_timer(timer_id(wparam))) return 0;
      return default_frame(window, message, wparam, lparam);
    case WM_CLOSE:
      if (c.host == nullptr) return default_frame(window, message, wparam, lparam);
      switch (c.host->on_close()) {
        case CloseOutcome::destroy_by_default:
          return default_frame(window, message, wparam, lparam);
        case CloseOutcome::cancelled:
        case CloseOutcome::ended_run:
        case CloseOutcome::finished_run:
          return 0;
      }
      return 0;
    case WM_DESTROY:
      c.frame = nullptr;
      c.client = nullptr;
      c.io_window = nullptr;
      c.graphics_window = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      return default_frame(window, message, wparam, lparam);
  }
}

}  // namespace tova::host::win32
