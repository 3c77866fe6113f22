// The file layer on KERNEL32. Handles travel as integers; INVALID_HANDLE_VALUE
// is the same bit pattern as kNoFile. Every failure returns GetLastError().
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "textio/file_layer.h"

namespace textio::platform {
namespace {

HANDLE to_handle(FileHandle handle) {
  return reinterpret_cast<HANDLE>(handle);
}
FileHandle from_handle(HANDLE handle) {
  return reinterpret_cast<FileHandle>(handle);
}

int32_t last_error() {
  return static_cast<int32_t>(GetLastError());
}

// A failed SetFilePointer is told apart from a valid offset whose low part is
// all ones only by the error code.
bool move_file_pointer(HANDLE handle, uint64_t offset, DWORD method, uint64_t* now) {
  LONG high = static_cast<LONG>(offset >> 32);
  SetLastError(NO_ERROR);
  DWORD low = SetFilePointer(handle, static_cast<LONG>(offset & 0xFFFFFFFFu), &high, method);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return false;
  if (now != nullptr) *now = (static_cast<uint64_t>(static_cast<DWORD>(high)) << 32) | low;
  return true;
}

}  // namespace

bool file_exists(const std::string& name) {
  HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
}

int32_t open_file(const std::string& name, bool create, bool read, bool write, FileHandle* handle) {
  DWORD access = (read ? GENERIC_READ : 0) | (write ? GENERIC_WRITE : 0);
  HANDLE opened =
      CreateFileA(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  create ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == INVALID_HANDLE_VALUE) {
    *handle = kNoFile;
    return last_error();
  }
  *handle = from_handle(opened);
  return 0;
}

int32_t read_file(FileHandle handle, char* buffer, size_t size, size_t* got) {
  *got = 0;
  DWORD count = 0;
  if (!ReadFile(to_handle(handle), buffer, static_cast<DWORD>(size), &count, nullptr)) {
    // A pipe whose writer has gone is the end of its data, not a failure.
    if (GetLastError() == ERROR_BROKEN_PIPE) return 0;
    return last_error();
  }
  *got = count;
  return 0;
}

int32_t write_file(FileHandle handle, const char* buffer, size_t size) {
  while (size > 0) {
    DWORD count = 0;
    if (!WriteFile(to_handle(handle), buffer, static_cast<DWORD>(size), &count, nullptr)) {
      return last_error();
    }
    if (count == 0) return ERROR_WRITE_FAULT;
    buffer += count;
    size -= count;
  }
  return 0;
}

int32_t truncate_file(FileHandle handle, uint64_t offset) {
  uint64_t size = 0;
  if (int32_t error = file_size(handle, &size); error != 0) return error;
  if (size <= offset) return 0;
  HANDLE file = to_handle(handle);
  uint64_t position = 0;
  if (!move_file_pointer(file, 0, FILE_CURRENT, &position)) return last_error();
  if (!move_file_pointer(file, offset, FILE_BEGIN, nullptr)) return last_error();
  if (!SetEndOfFile(file)) return last_error();
  // Writing goes on where it was, which is normally the cut itself.
  if (position != offset && !move_file_pointer(file, position, FILE_BEGIN, nullptr)) {
    return last_error();
  }
  return 0;
}

int32_t file_size(FileHandle handle, uint64_t* size) {
  DWORD high = 0;
  SetLastError(NO_ERROR);
  DWORD low = GetFileSize(to_handle(handle), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return last_error();
  *size = (static_cast<uint64_t>(high) << 32) | low;
  return 0;
}

bool is_character_device(FileHandle handle) {
  return GetFileType(to_handle(handle)) == FILE_TYPE_CHAR;
}

int32_t close_file(FileHandle handle) {
  return CloseHandle(to_handle(handle)) ? 0 : last_error();
}

int32_t delete_file(const std::string& name) {
  return DeleteFileA(name.c_str()) ? 0 : last_error();
}

std::optional<std::string> environment_variable(const char* name) {
  std::string value(64, '\0');
  for (;;) {
    SetLastError(NO_ERROR);
    DWORD length = GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::string();
    }
    // Too small a buffer gives the size needed, terminator included.
    if (length < value.size()) {
      value.resize(length);
      return value;
    }
    value.assign(length, '\0');
  }
}

int32_t read_standard_input(char* buffer, int32_t size) {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input == nullptr || input == INVALID_HANDLE_VALUE || size <= 0) return 0;
  DWORD count = 0;
  if (!ReadFile(input, buffer, static_cast<DWORD>(size), &count, nullptr)) return 0;
  return static_cast<int32_t>(count);
}

int32_t write_standard_stream(int32_t handle_code, const char* buffer, int32_t size) {
  // The handle codes are the STD_*_HANDLE values themselves.
  HANDLE output = GetStdHandle(static_cast<DWORD>(handle_code));
  if (output == nullptr || output == INVALID_HANDLE_VALUE) return 0;
  if (write_file(from_handle(output), buffer, static_cast<size_t>(size)) != 0) return 0;
  return size;
}

[[noreturn]] void terminate_process(int32_t status) {
  ExitProcess(static_cast<UINT>(status));
}

}  // namespace textio::platform
