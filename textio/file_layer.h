// The operating-system services the run-time needs, behind one small
// interface with a POSIX and a Win32 implementation. Every failure is given
// as a Windows system error code, so a report reads the same everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace textio::platform {

using FileHandle = intptr_t;
inline constexpr FileHandle kNoFile = -1;

// OPEN_EXISTING with read access: can the file be read?
bool file_exists(const std::string& name);
// Opens an existing file (create == false) or creates it empty
// (create == true, CREATE_ALWAYS), with the access asked for and shared
// read/write. Returns 0 and the handle, or the system error code.
int32_t open_file(const std::string& name, bool create, bool read, bool write, FileHandle* handle);
// Opens an existing file for input: read and write when it is a regular
// file that may be written, else read only (a pipe or device opened for
// writing too would never see its end; a read-only file can still be read).
// A missing file is an error, nothing is created.
int32_t open_existing(const std::string& name, FileHandle* handle, bool* writable);

// A result file replaced only when complete. The new contents go to a
// partial file beside `name` (same directory, the old file's permissions);
// committing renames it over `name`, discarding deletes it. Until then the
// old file stays as it was, and an interrupt or termination signal deletes
// the partial file before the process ends. An existing `name` that may not
// be written is refused here, as opening it would be. When `name` is not a
// regular file (a device, a pipe), or the directory takes no new file, it
// is opened for writing directly and *partial is left empty.
int32_t create_replacement(const std::string& name, FileHandle* handle, std::string* partial);
int32_t commit_replacement(const std::string& partial, const std::string& name);
void discard_replacement(const std::string& partial);

// Whether `name` is the very file open on `handle` (device and inode, or
// volume and file ID); false when `name` does not exist.
bool same_file(FileHandle handle, const std::string& name);
// Reads up to `size` bytes; *got == 0 at end of file.
int32_t read_file(FileHandle handle, char* buffer, size_t size, size_t* got);
int32_t write_file(FileHandle handle, const char* buffer, size_t size);
// Cuts the file at `offset` when it extends beyond it.
int32_t truncate_file(FileHandle handle, uint64_t offset);
int32_t file_size(FileHandle handle, uint64_t* size);
bool is_character_device(FileHandle handle);
int32_t close_file(FileHandle handle);
int32_t delete_file(const std::string& name);

std::optional<std::string> environment_variable(const char* name);

// The process's standard streams, for the default console hooks: one read
// of at most `size` bytes (0 at end of input), and a write of all bytes to
// the stream of the handle code -11 or -12 (returns the count, 0 on failure).
int32_t read_standard_input(char* buffer, int32_t size);
int32_t write_standard_stream(int32_t handle_code, const char* buffer, int32_t size);
// The system error code of the last failed write_standard_stream, 0 when
// the last one succeeded.
int32_t standard_stream_error();

// Bytes of memory the process can hope to hold: physical memory plus swap
// (the commit limit), lowered to the address-space limit when one is set.
// 0 when the system does not tell.
uint64_t memory_limit();

// Ends the process at once with `status` (the default exit seam).
[[noreturn]] void terminate_process(int32_t status);

}  // namespace textio::platform
