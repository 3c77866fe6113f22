// The unit table and the record traffic of every unit: console units made on
// first use, implicit fort.N files, OPEN and CLOSE, transfer buffers.
#include "textio/units.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "textio/console_hooks.h"
#include "textio/io_error.h"

namespace textio {
namespace {

std::vector<std::unique_ptr<Unit>>& unit_table() {
  static std::vector<std::unique_ptr<Unit>> table;
  return table;
}

constexpr uint64_t kLargestFile = 0xFFFFFFFFull;  // 4 GB and more is refused

void check_record_room(size_t length) {
  if (length > kInputRecordLimit) throw IoFailure{kInputRecordTooLong};
}

// Bytes read ahead are not written back.
void drop_read_ahead(Unit& unit) {
  if (!unit.filled_by_read) return;
  unit.fill = unit.position = 0;
  unit.filled_by_read = false;
}

Unit& append_unit(std::unique_ptr<Unit> unit) {
  unit_table().push_back(std::move(unit));
  return *unit_table().back();
}

void create_console_unit(int32_t number) {
  auto unit = std::make_unique<Unit>();
  unit->number = number;
  unit->console_code = number == kStdInputUnit    ? kStdInputHandle
                       : number == kStdOutputUnit ? kStdOutputHandle
                                                  : kStdErrorHandle;
  unit->transfer.resize(kConsoleBufferSize);
  unit->tab_size = tab_size_from_environment();
  unit->readable = number == kStdInputUnit;
  unit->writable = number != kStdInputUnit;
  unit->character_device = true;
  append_unit(std::move(unit));
}

int32_t map_standard_number(int32_t number, int32_t kind) {
  switch (number) {
    case 5:
      return kStdInputUnit;
    case 6:
      return kStdOutputUnit;
    case 0:
      return kStdErrorUnit;
    case 9:
    case -1:
      return kind == kRead ? kStdInputUnit : kStdOutputUnit;
    default:
      return number;
  }
}

void remove_unit(Unit* unit) {
  auto& table = unit_table();
  table.erase(std::remove_if(table.begin(), table.end(),
                             [unit](const std::unique_ptr<Unit>& u) { return u.get() == unit; }),
              table.end());
}

void put_transfer(Unit& unit, const char* bytes, size_t count) {
  while (count > 0) {
    const size_t room = unit.transfer.size() - unit.fill;
    const size_t take = std::min(room, count);
    std::memcpy(unit.transfer.data() + unit.fill, bytes, take);
    unit.fill += take;
    unit.dirty = true;
    bytes += take;
    count -= take;
    if (unit.fill == unit.transfer.size()) flush_unit(unit);
  }
}

// Refills the transfer buffer for reading; false at end of file.
bool refill(Unit& unit) {
  if (unit.dirty) flush_unit(unit);
  unit.fill = unit.position = 0;
  size_t got = 0;
  if (unit.is_console()) {
    const int32_t n =
        console_hooks().read(unit.transfer.data(), static_cast<int32_t>(unit.transfer.size()));
    got = n > 0 ? static_cast<size_t>(n) : 0;
  } else {
    if (unit.at_end_of_file) return false;
    if (const int32_t code =
            platform::read_file(unit.handle, unit.transfer.data(), unit.transfer.size(), &got);
        code != 0) {
      unit.last_error = code;
      throw IoFailure{code};
    }
  }
  if (got == 0) {
    unit.at_end_of_file = !unit.is_console();
    return false;
  }
  unit.fill = got;
  unit.filled_by_read = true;
  // A file saved as "UTF-8 with BOM" starts with the byte-order mark, which
  // is no part of its first record.
  if (unit.block_number == 0 && !unit.is_console() && got >= 3 &&
      std::memcmp(unit.transfer.data(), "\xEF\xBB\xBF", 3) == 0) {
    unit.position = 3;
  }
  ++unit.block_number;
  return true;
}

}  // namespace

IoContext& context() {
  static IoContext instance = [] {
    IoContext c;
    c.default_unit = true;
    c.unit_number = -1;
    return c;
  }();
  return instance;
}

int32_t tab_size_from_environment() {
  const std::optional<std::string> value = platform::environment_variable("TABSIZE");
  if (!value || value->size() > 20) return 8;
  int64_t number = 0;
  size_t i = 0;
  while (i < value->size() && (*value)[i] == ' ') ++i;
  bool negative = false;
  if (i < value->size() && ((*value)[i] == '+' || (*value)[i] == '-')) {
    negative = (*value)[i] == '-';
    ++i;
  }
  bool any = false;
  for (; i < value->size() && (*value)[i] >= '0' && (*value)[i] <= '9'; ++i) {
    number = std::min<int64_t>(number * 10 + ((*value)[i] - '0'), 1 << 20);
    any = true;
  }
  // Tab expansion needs a positive distance; an absurd one would only make
  // lines of megabytes.
  if (!any || negative || number <= 0) return 8;
  return static_cast<int32_t>(std::min<int64_t>(number, 4096));
}

Unit* find_unit(int32_t number) {
  for (const auto& unit : unit_table()) {
    if (unit->number == number) return unit.get();
  }
  return nullptr;
}

Unit& resolve_unit(int32_t number, bool is_default, int32_t kind) {
  int32_t n = is_default ? -1 : number;
  if (n < -1 || (n == -1 && kind != kRead && kind != kWrite)) throw IoFailure{kNegativeUnit};
  if (Unit* unit = find_unit(n)) return *unit;
  if (kind != kOpen) {
    n = map_standard_number(n, kind);
    if (Unit* unit = find_unit(n)) return *unit;
  }
  if (n == kStdInputUnit || n == kStdOutputUnit) {
    if (!find_unit(kStdInputUnit)) create_console_unit(kStdInputUnit);
    if (!find_unit(kStdOutputUnit)) create_console_unit(kStdOutputUnit);
    return *find_unit(n);
  }
  if (n == kStdErrorUnit) {
    create_console_unit(kStdErrorUnit);
    return *find_unit(n);
  }
  // A unit used without OPEN is connected to fort.N.
  open_connection(n, "fort." + std::to_string(n), false, false, false, false);
  return *find_unit(n);
}

void flush_unit(Unit& unit) {
  if (unit.fill == 0 || !unit.dirty) return;
  const size_t count = unit.fill;
  unit.fill = 0;
  unit.dirty = false;
  if (unit.is_console()) {
    int32_t n = static_cast<int32_t>(count);
    if (console_hooks().write(unit.transfer.data(), &n, unit.console_code) == 0) {
      // What the default hooks met on the stream; a host's hook tells nothing.
      const int32_t code = platform::standard_stream_error();
      unit.last_error = code != 0 ? code : kSysPipeEnded;
      throw IoFailure{unit.last_error};
    }
    return;
  }
  if (const int32_t code = platform::write_file(unit.handle, unit.transfer.data(), count);
      code != 0) {
    unit.last_error = code;
    throw IoFailure{code};
  }
  unit.bytes_written += count;
  ++unit.block_number;
  if (unit.truncate_at_first_write) {
    // Rewriting a longer file leaves nothing of its old contents.
    unit.truncate_at_first_write = false;
    if (const int32_t code =
            platform::truncate_file(unit.handle, unit.start_offset + unit.bytes_written);
        code != 0) {
      unit.last_error = code;
      throw IoFailure{code};
    }
  }
}

void hand_over_record_piece(Unit& unit, RecordBuffer& record, uint64_t& handed_over) {
  // Only list-directed records without carriage control are written
  // strictly forward, their bytes final as soon as they stand.
  if (record.length() < kOutputPieceSize || unit.carriage_control) return;
  handed_over += record.length();
  if (handed_over > static_cast<uint64_t>(unit.record_limit)) {
    throw IoFailure{kRecordTooLong};
  }
  drop_read_ahead(unit);
  put_transfer(unit, record.data(), record.length());
  record.clear();
}

void hand_over_list_items(Unit& unit, RecordBuffer& record, std::string_view items,
                          uint64_t& handed_over) {
  if (unit.carriage_control) {
    record.put(items);  // the record's first byte is decided at its end
    return;
  }
  // Strictly forward: what the record holds and the items go to the unit
  // as they stand, without a copy into the record.
  handed_over += record.length() + items.size();
  if (handed_over > static_cast<uint64_t>(unit.record_limit)) {
    throw IoFailure{kRecordTooLong};
  }
  drop_read_ahead(unit);
  put_transfer(unit, record.data(), record.length());
  put_transfer(unit, items.data(), items.size());
  record.clear();
}

void end_output_record(Unit& unit, RecordBuffer& record, uint64_t handed_over, bool control_byte) {
  if (handed_over + record.length() > static_cast<uint64_t>(unit.record_limit)) {
    throw IoFailure{kRecordTooLong};
  }
  record.set_position(record.length());
  drop_read_ahead(unit);
  if (unit.carriage_control) {
    record.put('\r');
    std::string_view text = record.text();
    char prefix_byte = ' ';
    if (!control_byte) {
      put_transfer(unit, "\n", 1);
    } else {
      if (text.size() > 1) {
        prefix_byte = text[0];
        text.remove_prefix(1);
      }
      switch (prefix_byte) {
        case '0':
          put_transfer(unit, "\n\n", 2);
          break;
        case '-':
          put_transfer(unit, "\n\n\n", 3);
          break;
        case '1':
          put_transfer(unit, "\f", 1);
          break;
        case '+':
          break;
        default:
          put_transfer(unit, "\n", 1);
      }
    }
    put_transfer(unit, text.data(), text.size());
  } else {
    record.put(std::string_view("\r\n", 2));
    put_transfer(unit, record.data(), record.length());
  }
  record.clear();
  if (unit.character_device) flush_unit(unit);
}

void read_record(Unit& unit, RecordBuffer& record) {
  record.clear();
  ++unit.record_number;
  for (;;) {
    if (unit.position >= unit.fill || !unit.filled_by_read) {
      if (!refill(unit)) throw IoFailure{kReadPastEndOfFile};
    }
    const char* bytes = unit.transfer.data();
    size_t i = unit.position;
    while (i < unit.fill) {
      size_t run = i;
      while (run < unit.fill && bytes[run] != '\n' && bytes[run] != '\r' && bytes[run] != '\t') {
        ++run;
      }
      if (run > i) {
        check_record_room(record.length() + (run - i));
        record.put(std::string_view(bytes + i, run - i));
      }
      if (run == unit.fill) {
        i = run;
        break;
      }
      const char c = bytes[run];
      i = run + 1;
      if (c == '\n') {
        unit.position = i;
        record.set_position(0);
        return;
      }
      if (c == '\t') {
        const size_t t = static_cast<size_t>(unit.tab_size);
        check_record_room(record.length() + t - record.length() % t);
        record.fill(' ', t - record.length() % t);
      }
    }
    unit.position = i;
  }
}

void open_connection(int32_t number, const std::string& name, bool fortran_carriage_control,
                     bool append, bool scratch, bool read_only, OpenStatus status) {
  if (Unit* existing = find_unit(number)) {
    if (existing->name == name) {
      if (existing->carriage_control != fortran_carriage_control) throw IoFailure{kOpenMismatch};
      return;
    }
    close_connection(number, false);
  }
  platform::FileHandle handle = platform::kNoFile;
  bool writable = !read_only;
  std::string partial;
  int32_t code = 0;
  if (status == OpenStatus::kOld && !read_only) {
    code = platform::open_existing(name, &handle, &writable);
  } else if (status == OpenStatus::kOld) {
    code = platform::open_file(name, false, true, false, &handle);
  } else if (status == OpenStatus::kReplace) {
    code = platform::create_replacement(name, &handle, &partial);
  } else {
    code = platform::open_file(name, !platform::file_exists(name), true, !read_only, &handle);
  }
  if (code != 0) throw IoFailure{code};
  uint64_t size = 0;
  if (platform::file_size(handle, &size) == 0 && size > kLargestFile) {
    platform::close_file(handle);
    if (!partial.empty()) platform::discard_replacement(partial);
    throw IoFailure{kSysFileTooLarge};
  }
  auto unit = std::make_unique<Unit>();
  unit->number = number;
  unit->handle = handle;
  unit->name = name;
  unit->partial = std::move(partial);
  unit->transfer.resize(kFileBufferSize);
  unit->tab_size = tab_size_from_environment();
  unit->readable = true;
  unit->writable = writable;
  unit->carriage_control = fortran_carriage_control;
  unit->delete_on_close = scratch;
  unit->start_offset = append ? size : 0;
  if (platform::is_character_device(handle)) {
    unit->character_device = true;
  } else {
    unit->truncate_at_first_write = !append;
  }
  append_unit(std::move(unit));
}

void close_connection(int32_t number, bool delete_file) {
  Unit* unit = find_unit(number);
  if (unit == nullptr || unit->is_console()) return;
  int32_t failure = 0;
  try {
    flush_unit(*unit);
  } catch (const IoFailure& f) {
    failure = f.code;
  }
  if (const int32_t code = platform::close_file(unit->handle); code != 0 && failure == 0) {
    failure = code;
  }
  const std::string name = unit->name;
  const std::string partial = unit->partial;
  const bool remove = delete_file || unit->delete_on_close;
  remove_unit(unit);
  if (!partial.empty()) {
    // Only a complete new file replaces the old one.
    if (failure != 0 || remove) {
      platform::discard_replacement(partial);
    } else {
      failure = platform::commit_replacement(partial, name);
    }
  } else if (remove) {
    if (const int32_t code = platform::delete_file(name); code != 0 && failure == 0) {
      failure = code;
    }
  }
  if (failure != 0) throw IoFailure{failure};
}

void close_everything(bool complete) {
  for (const auto& unit : unit_table()) {
    if (unit->is_console()) continue;
    bool written = true;
    try {
      flush_unit(*unit);
    } catch (const IoFailure&) {
      // Already on the way out: a second failure is not reported.
      written = false;
    }
    written = platform::close_file(unit->handle) == 0 && written;
    if (!unit->partial.empty()) {
      if (complete && written) {
        platform::commit_replacement(unit->partial, unit->name);
      } else {
        platform::discard_replacement(unit->partial);
      }
    } else if (unit->delete_on_close) {
      platform::delete_file(unit->name);
    }
  }
  unit_table().clear();
}

bool connected_to_file(int32_t number, const std::string& name) {
  const Unit* unit = find_unit(number);
  return unit != nullptr && !unit->is_console() && platform::same_file(unit->handle, name);
}

void forget_everything() {
  unit_table().clear();
  context() = IoContext{};
  context().default_unit = true;
  context().unit_number = -1;
}

}  // namespace textio
