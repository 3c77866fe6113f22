// Error codes of the run-time and the one fatal funnel every failure goes
// through.
#pragma once

#include <cstdint>
#include <string_view>

namespace textio {

// Codes 10000..10070 are the run-time's own; any other code is an
// operating-system error code (Windows numbering on every platform).
enum ErrorCode : int32_t {
  kFileNotOpenForRead = 10000,
  kFileNotOpenForWrite = 10001,
  kBufferAllocationFailed = 10004,
  kBadIolistSpecifier = 10005,
  kErrorInFormatString = 10006,
  kIllegalRepeatCount = 10007,
  kHollerithCountExceeds = 10008,
  kFormatMissingParen = 10009,
  kFormatUnmatchedParens = 10010,
  kFormatUnmatchedQuotes = 10011,
  kNonRepeatableDescriptor = 10012,
  kReadPastEndOfFile = 10013,
  kBadFileName = 10014,
  kFormatGroupOverflow = 10015,
  kIllegalNumericCharacter = 10016,
  kNegativeUnit = 10029,
  kOpenMismatch = 10030,
  kReadPastEndOfRecord = 10038,
  kReadPastEndOfRecordNonAdvancing = 10039,
  kIllegalDelim = 10041,
  kIllegalPad = 10042,
  kDeallocateUnallocated = 10045,
  kDeallocatePortion = 10046,
  kAlreadyAllocated = 10047,
  kInternalError = 10048,
  kRecordTooLong = 10060,
  // This run-time's own additions after the inherited table.
  kInputRecordTooLong = 10071,
  kIntegerOutOfRange = 10072,
};

inline constexpr int32_t kFirstRuntimeCode = 10000;
// What an IOSTAT= variable receives at end of file and at the end of a
// record in non-advancing input; any other failure gives its code.
inline constexpr int32_t kIostatEndOfFile = -1;
inline constexpr int32_t kIostatEndOfRecord = -2;
inline constexpr int32_t kLastRuntimeCode = 10072;

// Operating-system error codes the reports use on every platform.
enum SystemErrorCode : int32_t {
  kSysFileNotFound = 2,
  kSysPathNotFound = 3,
  kSysAccessDenied = 5,
  kSysSharingViolation = 32,
  kSysInvalidHandle = 6,
  kSysNotEnoughMemory = 8,
  kSysPipeEnded = 109,
  kSysDiskFull = 112,
  kSysInvalidName = 123,
  kSysNameTooLong = 206,
  kSysFileTooLarge = 223,
  kSysCannotResolveName = 1921,
};

// Thrown inside the run-time by the code that detects a failure; the
// statement entry points catch it and hand the code to the report.
struct IoFailure {
  int32_t code;
};

// Message texts. Empty for a code with no entry.
std::string_view runtime_message(int32_t code);  // 10000..10072
std::string_view system_message(int32_t code);   // 0..2405
std::string_view statement_name(int32_t kind);   // 0..7

}  // namespace textio
