// The file layer on POSIX systems. Failures are mapped from errno to the
// Windows system error codes the reports are written in, so that a report
// reads the same on every platform.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#ifdef __linux__
#include <sys/sysinfo.h>
#endif
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "textio/console_hooks.h"
#include "textio/file_layer.h"
#include "textio/io_error.h"

namespace textio::platform {
namespace {

// A missing file whose directory exists is "file not found"; a missing
// directory on the way is "path not found".
int32_t missing_code(const std::string& name) {
  const size_t slash = name.find_last_of('/');
  if (slash == std::string::npos) return kSysFileNotFound;
  const std::string directory = slash == 0 ? std::string("/") : name.substr(0, slash);
  struct stat info {};
  if (::stat(directory.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return kSysFileNotFound;
  return kSysPathNotFound;
}

int32_t system_code(int error, const std::string& name = {}) {
  switch (error) {
    case ENOENT:
      return name.empty() ? kSysFileNotFound : missing_code(name);
    case ENOTDIR:
      return kSysPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EEXIST:
      return kSysAccessDenied;
    case ETXTBSY:
    case EBUSY:
      return kSysSharingViolation;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return kSysDiskFull;
    case EFBIG:
    case EOVERFLOW:
      return kSysFileTooLarge;
    case ELOOP:
      return kSysCannotResolveName;
    case ENAMETOOLONG:
      return kSysNameTooLong;
    case EILSEQ:
      return kSysInvalidName;
    case EMFILE:
    case ENFILE:
      return 4;  // the system cannot open the file
    case ENOMEM:
      return kSysNotEnoughMemory;
    case EPIPE:
      return kSysPipeEnded;
    case EBADF:
      return kSysInvalidHandle;
    case EINVAL:
      return 87;
    default:
      return 1117;  // an I/O device error
  }
}

int descriptor(FileHandle handle) {
  return static_cast<int>(handle);
}

// The partial result files of this process, for the signal handler: fixed
// storage, written before its slot is marked in use, so that the handler
// needs nothing but unlink.
constexpr int kPartialSlots = 4;
constexpr size_t kPartialNameSize = 4096;
char g_partial_names[kPartialSlots][kPartialNameSize];
std::atomic<bool> g_partial_in_use[kPartialSlots];

extern "C" void remove_partials_and_die(int signal_number) {
  for (int k = 0; k < kPartialSlots; ++k) {
    if (g_partial_in_use[k].load()) ::unlink(g_partial_names[k]);
  }
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

void install_partial_cleanup() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  // A file-size limit is then a failed write, reported like a full disk,
  // instead of a signal that ends the process with its partial file.
  ::signal(SIGXFSZ, SIG_IGN);
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction action {};
    // A signal the caller ignores (nohup) stays ignored.
    if (::sigaction(signal_number, nullptr, &action) != 0 || action.sa_handler == SIG_IGN) continue;
    action = {};
    action.sa_handler = remove_partials_and_die;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal_number, &action, nullptr);
  }
}

void track_partial(const std::string& name) {
  if (name.size() >= kPartialNameSize) return;
  install_partial_cleanup();
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
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

int32_t open_file(const std::string& name, bool create, bool read, bool write, FileHandle* handle) {
  if (name.empty()) return kSysFileNotFound;
  int flags = O_CLOEXEC;
  if (read && write) {
    flags |= O_RDWR;
  } else if (write) {
    flags |= O_WRONLY;
  } else {
    flags |= O_RDONLY;
  }
  if (create) flags |= O_CREAT | O_TRUNC;
  const int fd = ::open(name.c_str(), flags, 0666);
  if (fd < 0) return system_code(errno, name);
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    return kSysAccessDenied;
  }
  *handle = fd;
  return 0;
}

int32_t open_existing(const std::string& name, FileHandle* handle, bool* writable) {
  struct stat info {};
  if (::stat(name.c_str(), &info) != 0) return system_code(errno, name);
  const bool regular = S_ISREG(info.st_mode);
  if (regular) {
    const int32_t code = open_file(name, false, true, true, handle);
    *writable = code == 0;
    if (code != kSysAccessDenied && code != kSysSharingViolation) return code;
  }
  *writable = false;
  return open_file(name, false, true, false, handle);
}

int32_t create_replacement(const std::string& name, FileHandle* handle, std::string* partial) {
  partial->clear();
  struct stat info {};
  const bool exists = ::stat(name.c_str(), &info) == 0;
  if (exists && !S_ISREG(info.st_mode)) return open_file(name, false, true, true, handle);
  if (exists) {
    // Refused where opening the old file for writing would be refused.
    const int fd = ::open(name.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return system_code(errno, name);
    ::close(fd);
  }
  std::string beside = name + ".partial-" + std::to_string(::getpid());
  const int fd = ::open(beside.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    // A writable file in a directory that takes no new file is rewritten
    // in place, as before.
    if (exists) return open_file(name, false, true, true, handle);
    return system_code(errno, name);
  }
  if (exists) static_cast<void>(::fchmod(fd, info.st_mode & 07777));
  track_partial(beside);
  *handle = fd;
  *partial = std::move(beside);
  return 0;
}

int32_t commit_replacement(const std::string& partial, const std::string& name) {
  if (::rename(partial.c_str(), name.c_str()) != 0) {
    const int32_t code = system_code(errno, name);
    discard_replacement(partial);
    return code;
  }
  untrack_partial(partial);
  return 0;
}

void discard_replacement(const std::string& partial) {
  ::unlink(partial.c_str());
  untrack_partial(partial);
}

bool same_file(FileHandle handle, const std::string& name) {
  struct stat open_info {};
  struct stat named {};
  if (::fstat(descriptor(handle), &open_info) != 0 || ::stat(name.c_str(), &named) != 0) {
    return false;
  }
  return open_info.st_dev == named.st_dev && open_info.st_ino == named.st_ino;
}

int32_t read_file(FileHandle handle, char* buffer, size_t size, size_t* got) {
  for (;;) {
    const ssize_t n = ::read(descriptor(handle), buffer, size);
    if (n >= 0) {
      *got = static_cast<size_t>(n);
      return 0;
    }
    if (errno != EINTR) return system_code(errno);
  }
}

int32_t write_file(FileHandle handle, const char* buffer, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(descriptor(handle), buffer, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return system_code(errno);
    }
    buffer += n;
    size -= static_cast<size_t>(n);
  }
  return 0;
}

int32_t truncate_file(FileHandle handle, uint64_t offset) {
  uint64_t size = 0;
  if (const int32_t code = file_size(handle, &size); code != 0) return code;
  if (size <= offset) return 0;
  if (::ftruncate(descriptor(handle), static_cast<off_t>(offset)) != 0) return system_code(errno);
  return 0;
}

int32_t file_size(FileHandle handle, uint64_t* size) {
  struct stat info {};
  if (::fstat(descriptor(handle), &info) != 0) return system_code(errno);
  *size = static_cast<uint64_t>(info.st_size);
  return 0;
}

bool is_character_device(FileHandle handle) {
  struct stat info {};
  return ::fstat(descriptor(handle), &info) == 0 && S_ISCHR(info.st_mode);
}

int32_t close_file(FileHandle handle) {
  if (::close(descriptor(handle)) != 0 && errno != EINTR) return system_code(errno);
  return 0;
}

int32_t delete_file(const std::string& name) {
  if (::unlink(name.c_str()) != 0) return system_code(errno, name);
  return 0;
}

std::optional<std::string> environment_variable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

int32_t read_standard_input(char* buffer, int32_t size) {
  for (;;) {
    const ssize_t n = ::read(STDIN_FILENO, buffer, static_cast<size_t>(size));
    if (n >= 0) return static_cast<int32_t>(n);
    if (errno != EINTR) return 0;
  }
}

int32_t write_standard_stream(int32_t handle_code, const char* buffer, int32_t size) {
  const int fd = handle_code == kStdErrorHandle ? STDERR_FILENO : STDOUT_FILENO;
  int32_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, buffer + done, static_cast<size_t>(size - done));
    if (n < 0) {
      if (errno == EINTR) continue;
      g_standard_stream_error = system_code(errno);
      return 0;
    }
    done += static_cast<int32_t>(n);
  }
  g_standard_stream_error = 0;
  // A zero-length record piece still counts as shown.
  return size == 0 ? 1 : done;
}

int32_t standard_stream_error() {
  return g_standard_stream_error;
}

uint64_t memory_limit() {
  uint64_t limit = 0;
#ifdef __linux__
  struct sysinfo info {};
  if (::sysinfo(&info) == 0) {
    limit = (static_cast<uint64_t>(info.totalram) + info.totalswap) * info.mem_unit;
  }
#else
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long page_size = ::sysconf(_SC_PAGESIZE);
  if (pages > 0 && page_size > 0) limit = static_cast<uint64_t>(pages) * page_size;
#endif
  struct rlimit address_space {};
  if (::getrlimit(RLIMIT_AS, &address_space) == 0 && address_space.rlim_cur != RLIM_INFINITY) {
    const auto cap = static_cast<uint64_t>(address_space.rlim_cur);
    limit = limit == 0 ? cap : std::min(limit, cap);
  }
  return limit;
}

void terminate_process(int32_t status) {
  ::_exit(status & 0xFF);
}

}  // namespace textio::platform
