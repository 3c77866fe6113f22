// The statement interface of the run-time.
//
// A READ or WRITE runs as begin, one item call per variable, end:
//
//   int32_t unit = 10;
//   IoStatement statement{&unit, 0, nullptr, nullptr};   // list-directed
//   begin_write(statement);             // calls poll, writes the record's blank
//   IoItem item{kItemScalar, kItemReal4, &value, 4};
//   transfer_item(item);                // converts at the current position
//   end_statement();                    // completes the format, ends the record
//
// Hooks: `poll` is called by begin WRITE, OPEN, CLOSE and by begin READ on
// any unit but standard input; `write` once per console record (a record
// longer than 256 bytes in 256-byte pieces), `read` whenever standard input
// needs a line. After a statement has failed (only possible with a status
// variable or a branch) its remaining items do nothing.
//
// Without IOSTAT=, ERR= or END= a failure never returns: the files are
// closed, the three-line report goes to standard error, `finish(-1)` is
// called and the process ends with status -1.
#pragma once

#include <cstdint>
#include <string_view>

#include "textio/format_table.h"
#include "textio/run_end.h"

namespace textio {

// Item type codes: data class in bits 0-7, element size in bits 15-23.
enum ItemDataClass : uint32_t {
  kDataInteger = 2,
  kDataReal = 3,
  kDataComplex = 4,
  kDataLogical = 5,
  kDataCharacter = 6,
};
inline constexpr uint32_t kItemInteger4 = 0x20002;
inline constexpr uint32_t kItemReal4 = 0x20003;
inline constexpr uint32_t kItemCharacter = 0x8006;
inline constexpr uint32_t kItemReal8 = 0x40003;

// Handler flag bits.
inline constexpr uint32_t kErrBranch = 1;
inline constexpr uint32_t kEndBranch = 2;
inline constexpr uint32_t kEorBranch = 4;

struct IoStatement {
  const int32_t* unit;        // nullptr: the default unit *
  uint32_t handler_flags;     // kErrBranch | kEndBranch | kEorBranch
  int32_t* status;            // IOSTAT= variable, or nullptr
  const FormatTable* format;  // nullptr: list-directed
};

inline constexpr int32_t kItemScalar = 1;  // the only item kind

struct IoItem {
  int32_t kind;   // kItemScalar
  uint32_t type;  // kItemInteger4, kItemReal4, kItemCharacter, ...
  void* address;
  int32_t length;  // bytes of a character item
};

// Return values: 0, or 1 (take ERR=), 2 (END=), 3 (end of record).
int32_t begin_write(const IoStatement& statement);
int32_t begin_read(const IoStatement& statement);
int32_t transfer_item(const IoItem& item);
int32_t end_statement();

// STATUS=: OLD opens an existing file only (read only when it cannot be
// written or is no regular file: a pipe, a device); REPLACE writes beside
// the old file and replaces it at CLOSE, only after a complete write;
// anything else reuses an existing file, cut after the new contents, or
// creates a missing one.
struct OpenSpecifiers {
  std::string_view status;  // NEW, OLD, SCRATCH, UNKNOWN, REPLACE
  std::string_view access;
  std::string_view form;
  std::string_view position;          // APPEND, ASIS, REWIND
  std::string_view action;            // READ, WRITE, READWRITE
  std::string_view delim;             // APOSTROPHE, QUOTE, NONE
  std::string_view pad;               // YES, NO
  std::string_view carriage_control;  // LIST or FORTRAN
  int32_t* iostat = nullptr;
  uint32_t handler_flags = 0;
};
int32_t open_unit(int32_t unit, std::string_view file, const OpenSpecifiers& specifiers = {});
int32_t close_unit(int32_t unit, std::string_view status = {}, int32_t* iostat = nullptr);

// Whether unit `unit` is open on the very file `name` names (the same file
// under another name or link included); false when `name` does not exist.
bool unit_is_file(int32_t unit, std::string_view name);

// Character assignment: copy, cut or blank-pad; overlapping copies behave as
// through a temporary.
void assign_character(char* destination, size_t destination_length, const char* source,
                      size_t source_length);

}  // namespace textio
