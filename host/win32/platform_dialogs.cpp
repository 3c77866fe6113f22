// Message boxes, the save-file dialog and the About box.
#include <windows.h>
// These need the types of windows.h first.
#include <commdlg.h>

#include <cstring>
#include <string>

#include "host/core/about.h"
#include "host/win32/context.h"
#include "host/win32/resource.h"
#include "host/win32/win32_platform.h"

namespace tova::host::win32 {

namespace {

constexpr int kPathLimit = 260;

UINT buttons_of(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::yes_no:
      return MB_YESNO;
    case MessageButtons::yes_no_cancel:
      return MB_YESNOCANCEL;
    case MessageButtons::ok:
      break;
  }
  return MB_OK;
}

}  // namespace

std::string address_text(uint64_t address) {
  std::string digits = format_hex8(static_cast<uint32_t>(address));
  if (address >> 32 != 0) {
    std::string high = format_hex8(static_cast<uint32_t>(address >> 32));
    digits = high.substr(high.find_first_not_of('0')) + digits;
  }
  return "0x" + digits;
}

Answer Win32Platform::message_box(Window owner, std::string_view text, MessageButtons buttons) {
  int answer = MessageBoxA(window_of(owner), std::string(text).c_str(), "TOVA",
                           MB_ICONWARNING | buttons_of(buttons));
  switch (answer) {
    case IDYES:
      return Answer::yes;
    case IDNO:
      return Answer::no;
    case IDCANCEL:
      return Answer::cancel;
    default:
      return Answer::ok;
  }
}

std::optional<SaveChoice> Win32Platform::choose_save_file(std::string_view initial_name) {
  char file[kPathLimit] = {};
  char title[kPathLimit] = {};
  std::memcpy(file, initial_name.data(), std::min<size_t>(initial_name.size(), kPathLimit - 1));
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  // Owned by the frame: modal, it stays in front and Exit waits for it.
  dialog.hwndOwner = context().frame;
  dialog.lpstrFilter = "Text Files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0";
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file;
  dialog.nMaxFile = kPathLimit;
  dialog.lpstrFileTitle = title;
  dialog.nMaxFileTitle = kPathLimit;
  // The program's files stay where the run started: the dialog must not
  // move the current folder to where the user looked.
  dialog.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR;
  dialog.lpstrDefExt = "txt";
  // The dialog runs its own message loop: the core's handlers may run inside.
  if (!GetSaveFileNameA(&dialog)) return std::nullopt;
  return SaveChoice{file, title};
}

void Win32Platform::about_box() {
  Context& c = context();
  DialogBoxParamA(c.instance, MAKEINTRESOURCEA(IDD_ABOUT), c.frame, about_procedure, 0);
}

INT_PTR CALLBACK about_procedure(HWND dialog, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      SystemInfo info = context().host->platform().system_info();
      for (const AboutField& field : about_fields(info)) {
        SetDlgItemTextA(dialog, field.control, field.text.c_str());
      }
      SetDlgItemTextA(dialog, IDC_MIN_ADDRESS, address_text(info.lowest_address).c_str());
      SetDlgItemTextA(dialog, IDC_MAX_ADDRESS, address_text(info.highest_address).c_str());
      return TRUE;
    }
    case WM_COMMAND:
      // Continue, Enter and Esc all close the box.
      EndDialog(dialog, 1);
      return TRUE;
    default:
      return FALSE;
  }
}

SystemInfo Win32Platform::system_info() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  SystemInfo result;
  result.page_size = info.dwPageSize;
  result.lowest_address = reinterpret_cast<uintptr_t>(info.lpMinimumApplicationAddress);
  result.highest_address = reinterpret_cast<uintptr_t>(info.lpMaximumApplicationAddress);
  result.processor_type = info.dwProcessorType;
  result.processor_count = info.dwNumberOfProcessors;
  return result;
}

}  // namespace tova::host::win32
