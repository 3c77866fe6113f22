// The file layer on POSIX systems. Failures are mapped from errno to the
// Windows system error codes the reports are written in, so that a report
// reads the same on every platform.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

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
    case EFBIG:
      return kSysDiskFull;
    case ENAMETOOLONG:
      return kSysNameTooLong;
    case EILSEQ:
      return kSysInvalidName;
    case EMFILE:
    case ENFILE:
      return 4;  // the system cannot open the file
    case ENOMEM:
      return 8;
    case EPIPE:
      return 109;
    case EBADF:
      return 6;
    case EINVAL:
      return 87;
    default:
      return 1117;  // an I/O device error
  }
}

int descriptor(FileHandle handle) {
  return static_cast<int>(handle);
}

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
  const int fd = handle_code == -12 ? STDERR_FILENO : STDOUT_FILENO;
  int32_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, buffer + done, static_cast<size_t>(size - done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return 0;
    }
    done += static_cast<int32_t>(n);
  }
  // A zero-length record piece still counts as shown.
  return size == 0 ? 1 : done;
}

void terminate_process(int32_t status) {
  ::_exit(status & 0xFF);
}

}  // namespace textio::platform
