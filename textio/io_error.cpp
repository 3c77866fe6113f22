// Message tables of the run-time and the process-exit seam.
#include "textio/io_error.h"

#include <array>

#include "textio/file_layer.h"
#include "textio/run_end.h"
#include "textio/testing.h"

namespace textio {
namespace {

constexpr std::array<std::string_view, 73> kRuntimeMessages = {
    "File not open for read",
    "File not open for write",
    "File not found",
    "Record length negative or 0",
    "Buffer allocation failed",
    "Bad iolist specifier",
    "Error in format string",
    "Illegal repeat count",
    "Hollerith count exceeds remaining format string",
    "Format string missing opening (",
    "Format string has unmatched parens",
    "Format string has unmatched quotes",
    "Non-repeatable format descriptor",
    "Attempt to read past end of file",
    "Bad file specification",
    "Format group table overflow",
    "Illegal character in numeric input",
    "No record specified for direct access",
    "Maximum record number exceeded",
    "Illegal file type for namelist directed I/O",
    "Illegal input for namelist directed I/O",
    "Variable not present in current namelist",
    "Variable type or size does not match edit descriptor",
    "Illegal direct access record number",
    "Illegal use of internal file",
    "RECL= only valid for direct access files",
    "BLOCK= only valid for unformatted sequential files",
    "Unable to truncate file after rewind, backspace, or endfile",
    "Entire structures can only be read/written with unformatted I/O",
    "Negative unit specifiers are not permitted",
    "Specifications in OPEN statement must match currently open file",
    "Cannot implicitly open for direct access -- record length unknown",
    "Status 'NEW' specified for an existing file",
    "Command not allowed for unit type",
    "TOVA is required for that feature",
    "Bad specification for window",
    "Endian specifier not BIG_ENDIAN or LITTLE_ENDIAN",
    "Cannot ENDIAN convert entire structures",
    "Attempt to read past end of record",
    "Attempt to read past end of record in non-advancing I/O",
    "Illegal specifier for ADVANCE=",
    "Illegal specifier for DELIM=",
    "Illegal specifier for PAD=",
    "SIZE= specified with ADVANCE=YES",
    "EOR= specified with ADVANCE=YES",
    "Cannot DEALLOCATE disassociated pointer or unallocated array",
    "Cannot DEALLOCATE a portion of an original allocation",
    "An allocatable array has already been allocated",
    "Internal or unknown runtime library error",
    "Unknown data type passed to runtime library",
    "Illegal DIM argument to array intrinsic",
    "Size of SOURCE argument to RESHAPE smaller than SHAPE array",
    "SHAPE array for RESHAPE contains a negative value",
    "Unallocated or disassociated array passed to inquiry function",
    "The ncopies argument to REPEAT is negative",
    "The S argument to NEAREST is negative",
    "The ORDER argument to RESHARE is contains an illegal value",
    "Result of TRANSFER with no SIZE is smaller than source",
    "SHAPE array for RESHAPE is zero sized array",
    "VECTOR argument to UNPACK contains insufficient values",
    "Attempt to write a record longer than specified record length",
    "ADVANCE= specified for direct access or unformatted file",
    "NAMELIST name is longer than specified record length",
    "NAMELIST variable name exceeds maximum length",
    "PAD= specified for unformatted file",
    "NAMELIST input contains multiple strided arrays",
    "Expected & or $ as first character for NAMELIST input",
    "NAMELIST group does not match current input group",
    "Pointer or allocatable array not associated or allocated",
    "NAMELIST input contains negative array stride",
    "Runtime memory allocation fails",
    "Input record longer than 1073741824 bytes",
    "Integer outside the range -2147483648 to 2147483647 in numeric input",
};

struct SystemMessage {
  int32_t code;
  std::string_view text;
};

// The system texts a run of the program can meet, in code order.
constexpr SystemMessage kSystemMessages[] = {
    {0, "The operation completed successfully."},
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {4, "The system cannot open the file."},
    {5, "Access Denied."},
    {6, "The handle is invalid."},
    {8, "Not enough storage is available to process this command."},
    {14, "Not enough storage is available to complete this operation."},
    {15, "The system cannot find the drive specified."},
    {19, "The media is write protected."},
    {21, "The device is not ready."},
    {23, "Data error (cyclic redundancy check)."},
    {29, "The system cannot write to the specified device."},
    {30, "The system cannot read from the specified device."},
    {32, "The process cannot access the file because it is being used by another process."},
    {33,
     "The process cannot access the file because another process has locked a portion of "
     "the file."},
    {38, "Reached the end of the file."},
    {39, "The disk is full."},
    {80, "The file exists."},
    {82, "The directory or file cannot be created."},
    {87, "The parameter is incorrect."},
    {109, "The pipe has been ended."},
    {112, "There is not enough space on the disk."},
    {123, "The file name, directory name, or volume label is not syntactically correct."},
    {145, "The directory is not empty."},
    {183, "Cannot create a file when that file already exists."},
    {206, "The file name or extension is too long."},
    {223, "The file size exceeds the limit allowed and cannot be saved."},
    {232, "The pipe is being closed."},
    {267, "The directory name is invalid."},
    {1117, "The request could not be performed because of an I/O device error."},
    {1224,
     "The requested operation cannot be performed on a file with a user-mapped section "
     "open."},
    {1921, "The name of the file cannot be resolved by the system."},
};

constexpr std::array<std::string_view, 8> kStatementNames = {
    "REWIND", "BACKSPACE", "OPEN", "CLOSE", "INQUIRE", "READ", "WRITE", "ENDFILE"};

ProcessExit g_process_exit = nullptr;

}  // namespace

std::string_view runtime_message(int32_t code) {
  if (code < kFirstRuntimeCode || code > kLastRuntimeCode) return {};
  return kRuntimeMessages[static_cast<size_t>(code - kFirstRuntimeCode)];
}

std::string_view system_message(int32_t code) {
  for (const SystemMessage& message : kSystemMessages) {
    if (message.code == code) return message.text;
  }
  return {};
}

std::string_view statement_name(int32_t kind) {
  if (kind < 0 || kind >= static_cast<int32_t>(kStatementNames.size())) return {};
  return kStatementNames[static_cast<size_t>(kind)];
}

void set_process_exit(ProcessExit exit_function) {
  g_process_exit = exit_function;
}

void exit_process(int32_t status) {
  if (g_process_exit != nullptr) g_process_exit(status);
  platform::terminate_process(status);
}

}  // namespace textio
