// Internal: the unit table, the single statement context and the record
// traffic between a unit's transfer buffer and the record buffer. Only the
// run-time's own modules include this header.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "textio/file_layer.h"
#include "textio/format_walker.h"
#include "textio/list_input.h"
#include "textio/record_buffer.h"

namespace textio {

enum StatementKind : int32_t {
  kRewind = 0,
  kBackspace = 1,
  kOpen = 2,
  kClose = 3,
  kInquire = 4,
  kRead = 5,
  kWrite = 6,
  kEndfile = 7,
};

inline constexpr int32_t kStdInputUnit = -2;
inline constexpr int32_t kStdOutputUnit = -3;
inline constexpr int32_t kStdErrorUnit = -4;
inline constexpr int32_t kNoRecordLimit = 0x7FFFFFFF;
inline constexpr size_t kConsoleBufferSize = 256;
inline constexpr size_t kFileBufferSize = 8192;
// An input record may not grow past this (tabs expanded): beyond it a READ
// fails instead of taking all memory, as a line without end (a device, a
// file of NULs) would.
inline constexpr size_t kInputRecordLimit = size_t{1} << 30;
// A list-directed output record passes to its unit in pieces of about this
// size, so a record of millions of values never stands whole in memory.
inline constexpr size_t kOutputPieceSize = size_t{64} << 10;

// What OPEN does with the file, from STATUS=.
enum class OpenStatus {
  kUnknown,  // existing file reused and cut after the new contents, missing one created
  kOld,      // must exist; read only when it cannot be written or is no regular file
  kReplace,  // written beside the old file, which it replaces when complete
};

struct Unit {
  int32_t number = 0;
  platform::FileHandle handle = platform::kNoFile;
  int32_t console_code = 0;  // the standard handle code of a console unit, else 0
  std::string name;
  std::string partial;         // the file written beside `name` until CLOSE commits it
  std::vector<char> transfer;  // the unit's own buffer
  size_t fill = 0;             // bytes held
  size_t position = 0;         // next byte to take (reading)
  int64_t block_number = 0;
  int64_t record_number = 0;  // 1-based number of the record last read
  uint64_t start_offset = 0;
  uint64_t bytes_written = 0;
  int32_t record_limit = kNoRecordLimit;
  int32_t tab_size = 8;
  char delimiter = 0;
  int32_t last_error = 0;
  bool readable = false;
  bool writable = false;
  bool carriage_control = false;
  bool delete_on_close = false;
  bool character_device = false;
  bool pad = true;
  bool truncate_at_first_write = false;
  bool dirty = false;
  bool filled_by_read = false;
  bool at_end_of_file = false;

  bool is_console() const { return console_code != 0; }
};

// Input: reads the next record of `unit` into the record buffer.
void read_record(Unit& unit, RecordBuffer& record);

// The records of the unit a list-directed READ takes its values from.
class UnitReader final : public RecordReader {
 public:
  Unit* unit = nullptr;
  void next_record(RecordBuffer& record) override { read_record(*unit, record); }
};

// The one statement context of the process. Each entry point reaches it
// once and passes it down.
struct IoContext {
  int32_t kind = kWrite;
  bool default_unit = false;
  int32_t unit_number = 0;  // as the statement named it (for the report)
  uint32_t handler_flags = 0;
  int32_t* status = nullptr;
  const FormatTable* format = nullptr;
  Unit* unit = nullptr;
  FormatWalker walker;
  bool failed = false;
  bool active = false;
  bool list_first_item = true;       // list-directed output: no item yet
  bool list_last_character = false;  // list-directed output: last item was text
  uint64_t record_handed_over = 0;   // output bytes of this record already in the unit
  RecordBuffer record;
  UnitReader unit_reader;
  std::optional<ListInput> list_input;  // the scanner of a list-directed READ
};

IoContext& context();

// Tab stop distance from TABSIZE, 8 by default.
int32_t tab_size_from_environment();

// Finds or creates the unit for the current statement (kind already set).
// Throws IoFailure.
Unit& resolve_unit(int32_t number, bool is_default, int32_t kind);
Unit* find_unit(int32_t number);

// Output: ends `record` and hands it to `unit` (CR LF, carriage control,
// transfer buffer, flush for devices). `handed_over` bytes of the record are
// in the unit already. With `control_byte` (a formatted record on a unit
// with carriage control) the record's first byte is the control character.
void end_output_record(Unit& unit, RecordBuffer& record, uint64_t handed_over, bool control_byte);
// List-directed output: hands what `record` holds so far to `unit` when it
// has grown to a piece worth writing, adding its length to `handed_over`.
// The record goes on where it stopped.
void hand_over_record_piece(Unit& unit, RecordBuffer& record, uint64_t& handed_over);
// List-directed output: `items` (whole list items) join `record`, passing
// to `unit` at once with what the record holds, unless the unit has
// carriage control. Adds the bytes handed over to `handed_over`.
void hand_over_list_items(Unit& unit, RecordBuffer& record, std::string_view items,
                          uint64_t& handed_over);
// Writes out a transfer buffer holding unwritten bytes.
void flush_unit(Unit& unit);

// OPEN with a trimmed name; CLOSE; closing everything.
void open_connection(int32_t number, const std::string& name, bool fortran_carriage_control,
                     bool append, bool scratch, bool read_only,
                     OpenStatus status = OpenStatus::kUnknown);
void close_connection(int32_t number, bool delete_file);
// Closes every file unit; failures are ignored (used on the way out). A
// result file being replaced replaces the old one only when the run ended
// `complete` (STOP); otherwise its partial file is deleted.
void close_everything(bool complete);
// Whether the file open on unit `number` is the file `name`.
bool connected_to_file(int32_t number, const std::string& name);
void forget_everything();

}  // namespace textio
