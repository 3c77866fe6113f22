// The file layer on KERNEL32. Handles travel as integers; INVALID_HANDLE_VALUE
// is the same bit pattern as kNoFile. Every failure returns GetLastError().
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstring>
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

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The partial result files of this process, for the signal handler: fixed
// storage, written before its slot is marked in use. They are opened with
// FILE_SHARE_DELETE, so deleting them while open takes effect at exit.
constexpr int kPartialSlots = 4;
constexpr size_t kPartialNameSize = MAX_PATH + 32;
char g_partial_names[kPartialSlots][kPartialNameSize];
std::atomic<bool> g_partial_in_use[kPartialSlots];

extern "C" void remove_partials_and_die(int signal_number) {
  for (int k = 0; k < kPartialSlots; ++k) {
    if (g_partial_in_use[k].load()) DeleteFileA(g_partial_names[k]);
  }
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

void track_partial(const std::string& name) {
  static bool installed = false;
  if (!installed) {
    installed = true;
    for (const int signal_number : {SIGINT, SIGTERM, SIGBREAK}) {
      std::signal(signal_number, remove_partials_and_die);
    }
  }
  if (name.size() >= kPartialNameSize) return;
  for (int k = 0; k < kPartialSlots; ++k) {
    if (g_partial_in_use[k].load()) continue;
    std::memcpy(g_partial_names[k], name.c_str(), name.size() + 1);
    g_partial_in_use[k].store(true);
    return;
  }
}

void untrack_partial(const std::string& name) {
  for (int k = 0; k < kPartialSlots; ++k) {
    if (g_partial_in_use[k].load() && name == g_partial_names[k]) g_partial_in_use[k].store(false);
  }
}

int32_t g_standard_stream_error = 0;

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

int32_t open_existing(const std::string& name, FileHandle* handle, bool* writable) {
  const int32_t code = open_file(name, false, true, true, handle);
  if (code == 0) {
    // A pipe or a device is read only, so that its end can be seen.
    if (GetFileType(to_handle(*handle)) == FILE_TYPE_DISK) {
      *writable = true;
      return 0;
    }
    CloseHandle(to_handle(*handle));
  } else if (code != ERROR_ACCESS_DENIED && code != ERROR_SHARING_VIOLATION) {
    return code;
  }
  *writable = false;
  return open_file(name, false, true, false, handle);
}

int32_t create_replacement(const std::string& name, FileHandle* handle, std::string* partial) {
  partial->clear();
  const DWORD attributes = GetFileAttributesA(name.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return ERROR_ACCESS_DENIED;
    // Refused where opening the old file for writing would be refused.
    HANDLE old = CreateFileA(name.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (old == INVALID_HANDLE_VALUE) return last_error();
    if (GetFileType(old) != FILE_TYPE_DISK) {
      *handle = from_handle(old);  // a device is written directly
      return 0;
    }
    CloseHandle(old);
  }
  std::string beside = name + ".partial-" + std::to_string(GetCurrentProcessId());
  const DWORD kept = attributes == INVALID_FILE_ATTRIBUTES
                         ? FILE_ATTRIBUTE_NORMAL
                         : attributes & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                         FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  HANDLE created = CreateFileA(beside.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                               CREATE_ALWAYS, kept == 0 ? FILE_ATTRIBUTE_NORMAL : kept, nullptr);
  if (created == INVALID_HANDLE_VALUE) {
    // A writable file in a folder that takes no new file is rewritten in
    // place, as before.
    if (attributes != INVALID_FILE_ATTRIBUTES) return open_file(name, false, true, true, handle);
    return last_error();
  }
  track_partial(beside);
  *handle = from_handle(created);
  *partial = std::move(beside);
  return 0;
}

int32_t commit_replacement(const std::string& partial, const std::string& name) {
  if (!MoveFileExA(partial.c_str(), name.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    const int32_t code = last_error();
    discard_replacement(partial);
    return code;
  }
  untrack_partial(partial);
  return 0;
}

void discard_replacement(const std::string& partial) {
  DeleteFileA(partial.c_str());
  untrack_partial(partial);
}

bool same_file(FileHandle handle, const std::string& name) {
  BY_HANDLE_FILE_INFORMATION open_info{};
  if (!GetFileInformationByHandle(to_handle(handle), &open_info)) return false;
  HANDLE named = CreateFileA(name.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (named == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION named_info{};
  const bool known = GetFileInformationByHandle(named, &named_info) != 0;
  CloseHandle(named);
  return known && open_info.dwVolumeSerialNumber == named_info.dwVolumeSerialNumber &&
         open_info.nFileIndexHigh == named_info.nFileIndexHigh &&
         open_info.nFileIndexLow == named_info.nFileIndexLow;
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
  if (output == nullptr || output == INVALID_HANDLE_VALUE) {
    g_standard_stream_error = ERROR_INVALID_HANDLE;
    return 0;
  }
  g_standard_stream_error = write_file(from_handle(output), buffer, static_cast<size_t>(size));
  return g_standard_stream_error == 0 ? size : 0;
}

int32_t standard_stream_error() {
  return g_standard_stream_error;
}

uint64_t memory_limit() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return 0;
  // The commit limit is physical memory plus the paging files.
  return std::min<uint64_t>(status.ullTotalPageFile, status.ullTotalVirtual);
}

[[noreturn]] void terminate_process(int32_t status) {
  ExitProcess(static_cast<UINT>(status));
}

}  // namespace textio::platform
