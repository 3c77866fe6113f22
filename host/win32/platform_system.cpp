// Files of the saved text, the clipboard, timers, the Graphics window and
// the end of the run.
#include <windows.h>
// These need the types of windows.h first.
#include <mmsystem.h>

#include <cstring>
#include <string>

#include "host/win32/context.h"
#include "host/win32/win32_platform.h"
#include "textio/io_api.h"

namespace tova::host::win32 {

namespace {

HANDLE file_of(Handle file) {
  return reinterpret_cast<HANDLE>(file);
}

// Runs on the system's timer thread: it only stores the flag.
void CALLBACK tick_callback(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  reinterpret_cast<std::atomic<int32_t>*>(user)->store(1);
}

}  // namespace

Handle Win32Platform::create_file(std::string_view path) {
  HANDLE file = CreateFileA(std::string(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return kNoHandle;
  return reinterpret_cast<Handle>(file);
}

bool Win32Platform::write_file(Handle file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(file_of(file), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr) ||
        written == 0) {
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

void Win32Platform::close_file(Handle file) {
  CloseHandle(file_of(file));
}

bool Win32Platform::set_clipboard_text(std::string_view text) {
  if (!OpenClipboard(context().io_window)) return false;
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1);
  if (block == nullptr) {
    CloseClipboard();
    return false;
  }
  char* bytes = static_cast<char*>(GlobalLock(block));
  std::memcpy(bytes, text.data(), text.size());
  bytes[text.size()] = '\0';
  GlobalUnlock(block);
  // The clipboard owns the block from here on.
  SetClipboardData(CF_TEXT, block);
  CloseClipboard();
  return true;
}

bool Win32Platform::clipboard_has_text() {
  return IsClipboardFormatAvailable(CF_TEXT) != FALSE;
}

std::optional<std::string> Win32Platform::get_clipboard_text() {
  if (!IsClipboardFormatAvailable(CF_TEXT)) return std::nullopt;
  if (!OpenClipboard(context().io_window)) return std::nullopt;
  std::optional<std::string> text;
  if (HANDLE block = GetClipboardData(CF_TEXT)) {
    if (const char* bytes = static_cast<const char*>(GlobalLock(block))) {
      text = std::string(bytes);
      GlobalUnlock(block);
    }
  }
  CloseClipboard();
  return text;
}

bool Win32Platform::set_timer(int32_t id, int32_t interval_ms) {
  HWND frame = context().frame;
  return frame != nullptr &&
         SetTimer(frame, static_cast<UINT_PTR>(id), static_cast<UINT>(interval_ms), nullptr) != 0;
}

void Win32Platform::kill_timer(int32_t id) {
  if (HWND frame = context().frame) KillTimer(frame, static_cast<UINT_PTR>(id));
}

bool Win32Platform::arm_tick_timer(int32_t delay_ms, int32_t resolution_ms,
                                   std::atomic<int32_t>* flag) {
  MMRESULT timer =
      timeSetEvent(static_cast<UINT>(delay_ms), static_cast<UINT>(resolution_ms), tick_callback,
                   reinterpret_cast<DWORD_PTR>(flag), TIME_ONESHOT | TIME_CALLBACK_FUNCTION);
  return timer != 0;
}

bool Win32Platform::create_graphics_window(std::string_view title, int32_t width, int32_t height) {
  Context& c = context();
  if (c.client == nullptr) return false;
  std::string text(title);
  MDICREATESTRUCTA child{};
  child.szClass = "MDIGRAPH";
  child.szTitle = text.c_str();
  child.hOwner = c.instance;
  child.x = 15;
  child.y = 15;
  child.cx = width;
  child.cy = height;
  child.style = 0;
  HWND window = reinterpret_cast<HWND>(
      SendMessageA(c.client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&child)));
  if (window != nullptr) c.graphics_window = window;
  return window != nullptr;
}

void Win32Platform::set_map_mode(Handle device_context, int32_t mode) {
  SetMapMode(reinterpret_cast<HDC>(device_context), mode);
}

void Win32Platform::destroy_frame() {
  // The close sequence has begun: this close reaches default processing,
  // which destroys the frame, and its destroy message posts the quit.
  if (HWND frame = context().frame) SendMessageA(frame, WM_CLOSE, 0, 0);
}

void Win32Platform::end_run() {
  textio::end_run();
}

}  // namespace tova::host::win32
