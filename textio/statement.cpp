// The typed statement surface over the protocol of io_api.h, and the
// character assignment the program's statements use.
#include "textio/statement.h"

#include <algorithm>
#include <cstring>

#include "textio/edit_output.h"
#include "textio/protocol.h"

namespace textio {

void assign_character(char* destination, size_t destination_length, const char* source,
                      size_t source_length) {
  const size_t n = std::min(destination_length, source_length);
  std::memmove(destination, source, n);  // overlap behaves as through a temporary
  if (destination_length > n) std::memset(destination + n, ' ', destination_length - n);
}

WriteStatement::WriteStatement(UnitSpec unit, const FormatTable* format)
    : unit_number_(unit.number) {
  IoStatement statement{unit.is_default ? nullptr : &unit_number_, 0, nullptr, format};
  begin_write(statement);
}
WriteStatement::~WriteStatement() {
  end_statement();
}
WriteStatement& WriteStatement::integer(int32_t value) {
  transfer_item(IoItem{kItemScalar, kItemInteger4, &value, 4});
  return *this;
}
WriteStatement& WriteStatement::real(float value) {
  // A list-directed real goes straight to its conversion, with the item
  // bookkeeping of write_list_value: a result file's one record of millions
  // of values then costs the conversions alone.
  IoContext& c = context();
  if (c.active && !c.failed && c.kind == kWrite && c.format == nullptr) {
    list_real(c.record, value);
    c.list_first_item = false;
    c.list_last_character = false;
    if (c.record.length() >= kOutputPieceSize) {
      guarded(c, [&c] { hand_over_record_piece(*c.unit, c.record, c.record_handed_over); });
    }
    return *this;
  }
  transfer_item(IoItem{kItemScalar, kItemReal4, &value, 4});
  return *this;
}
WriteStatement& WriteStatement::list_items(std::string_view text) {
  IoContext& c = context();
  if (!c.active || c.failed || text.empty()) return *this;
  guarded(c, [&c, text] {
    if (c.kind != kWrite || c.format != nullptr) throw IoFailure{kInternalError};
    c.list_first_item = false;
    c.list_last_character = false;
    hand_over_list_items(*c.unit, c.record, text, c.record_handed_over);
  });
  return *this;
}
WriteStatement& WriteStatement::character(std::string_view text) {
  transfer_item(IoItem{kItemScalar, kItemCharacter, const_cast<char*>(text.data()),
                       static_cast<int32_t>(text.size())});
  return *this;
}

ReadStatement::ReadStatement(UnitSpec unit, const FormatTable* format) : unit_number_(unit.number) {
  IoStatement statement{unit.is_default ? nullptr : &unit_number_, 0, nullptr, format};
  begin_read(statement);
}
ReadStatement::~ReadStatement() {
  end_statement();
}
ReadStatement& ReadStatement::integer(int32_t& value) {
  transfer_item(IoItem{kItemScalar, kItemInteger4, &value, 4});
  return *this;
}
ReadStatement& ReadStatement::real(float& value) {
  transfer_item(IoItem{kItemScalar, kItemReal4, &value, 4});
  return *this;
}
ReadStatement& ReadStatement::character(char* text, size_t length) {
  transfer_item(IoItem{kItemScalar, kItemCharacter, text, static_cast<int32_t>(length)});
  return *this;
}

}  // namespace textio
