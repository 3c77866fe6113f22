// READ and WRITE: begin, one call per item, end. Failures inside are thrown
// as IoFailure and handed to the report by `guarded`.
#include <cmath>
#include <cstring>
#include <string>
#include <utility>

#include "textio/console_hooks.h"
#include "textio/edit_output.h"
#include "textio/format_walker.h"
#include "textio/list_input.h"
#include "textio/powers.h"
#include "textio/protocol.h"

namespace textio {
namespace {

enum class ItemClass { kInteger, kReal, kComplex, kLogical, kCharacter };

struct ItemState {
  ItemClass item_class;
  int32_t bytes;  // element size (character: the length)
};

ItemState classify(const IoItem& item) {
  if (item.kind != kItemScalar) throw IoFailure{kInternalError};
  const uint32_t data_class = item.type & 0xFFu;
  const int32_t size = static_cast<int32_t>((item.type >> 15) & 0x1FFu);
  switch (data_class) {
    case kDataInteger:
      if (size == 1 || size == 2 || size == 4) return {ItemClass::kInteger, size};
      break;
    case kDataReal:
      if (size == 4 || size == 8) return {ItemClass::kReal, size};
      break;
    case kDataComplex:
      if (size == 8 || size == 16) return {ItemClass::kComplex, size};
      break;
    case kDataLogical:
      if (size == 1 || size == 2 || size == 4) return {ItemClass::kLogical, size};
      break;
    case kDataCharacter:
      return {ItemClass::kCharacter, item.length < 0 ? 0 : item.length};
    default:
      break;
  }
  throw IoFailure{kInternalError};
}

// An item's storage need not be aligned for its type.
template <class T>
T load(const void* address) {
  T v;
  std::memcpy(&v, address, sizeof v);
  return v;
}

int64_t load_integer(const void* address, int32_t bytes) {
  if (bytes == 1) return load<int8_t>(address);
  if (bytes == 2) return load<int16_t>(address);
  return load<int32_t>(address);
}

double load_real(const void* address, int32_t bytes) {
  if (bytes == 8) return load<double>(address);
  return load<float>(address);
}

// Ends the output record of the statement in `c`; a formatted record may
// begin with a carriage-control character.
void end_record_of(IoContext& c, bool formatted) {
  end_output_record(*c.unit, c.record, std::exchange(c.record_handed_over, 0), formatted);
}

// Output side of the walker: literals and positions go into the record,
// `/` and reversion end it.
class OutputFormat final : public FormatContext {
 public:
  explicit OutputFormat(IoContext& c) : c_(c) {}
  void emit_literal(std::string_view text) override { c_.record.put(text); }
  void move_right(int32_t count) override {
    if (count > 0) c_.record.move_right(static_cast<size_t>(count));
  }
  void end_record() override { end_record_of(c_, true); }

 private:
  IoContext& c_;
};

// Input side: literals are skipped over, `/` and reversion read a record.
class InputFormat final : public FormatContext {
 public:
  explicit InputFormat(IoContext& c) : c_(c) {}
  void emit_literal(std::string_view text) override {
    move_right(static_cast<int32_t>(text.size()));
  }
  void move_right(int32_t count) override {
    if (count > 0) c_.record.set_position(c_.record.position() + static_cast<size_t>(count));
  }
  void end_record() override { read_record(*c_.unit, c_.record); }

 private:
  IoContext& c_;
};

void write_formatted_value(IoContext& c, const IoItem& item, const ItemState& state, int part) {
  OutputFormat output(c);
  const DataEdit edit = c.walker.next_data(output);
  RecordBuffer& out = c.record;
  const char* bytes = static_cast<const char*>(item.address);
  switch (state.item_class) {
    case ItemClass::kInteger:
    case ItemClass::kLogical: {
      const int64_t value = load_integer(item.address, state.bytes);
      if (edit.edit_code == kEditF) {
        edit_fixed(out, static_cast<double>(value), true, edit.w, edit.d);
      } else if (edit.edit_code == kEditE) {
        edit_exponent(out, static_cast<double>(value), true, edit.w, edit.d, edit.e);
      } else if (state.item_class == ItemClass::kLogical) {
        edit_character(out, value != 0 ? "T" : "F", edit.w);
      } else {
        edit_integer(out, value, edit.w, edit.d);
      }
      break;
    }
    case ItemClass::kReal:
    case ItemClass::kComplex: {
      const int32_t element =
          state.item_class == ItemClass::kComplex ? state.bytes / 2 : state.bytes;
      const double value = load_real(bytes + part * element, element);
      if (edit.edit_code == kEditE) {
        edit_exponent(out, value, element == 8, edit.w, edit.d, edit.e);
      } else if (edit.edit_code == kEditI) {
        edit_integer(out, static_cast<int64_t>(std::isfinite(value) ? std::trunc(value) : 0),
                     edit.w, edit.d);
      } else {
        edit_fixed(out, value, element == 8, edit.w, edit.d);
      }
      break;
    }
    case ItemClass::kCharacter:
      edit_character(out, std::string_view(bytes, static_cast<size_t>(state.bytes)), edit.w);
      break;
  }
}

void write_list_value(IoContext& c, const IoItem& item, const ItemState& state) {
  RecordBuffer& out = c.record;
  const char* bytes = static_cast<const char*>(item.address);
  switch (state.item_class) {
    case ItemClass::kInteger:
      list_integer(out, load_integer(item.address, state.bytes));
      break;
    case ItemClass::kLogical:
      list_logical(out, load_integer(item.address, state.bytes) != 0);
      break;
    case ItemClass::kReal:
      if (state.bytes == 8) {
        list_double(out, load_real(item.address, 8));
      } else {
        float v;
        std::memcpy(&v, item.address, 4);
        list_real(out, v);
      }
      break;
    case ItemClass::kComplex: {
      const int32_t element = state.bytes / 2;
      out.put(" (");
      for (int part = 0; part < 2; ++part) {
        if (part == 1) out.put(',');
        if (element == 8) {
          list_double(out, load_real(bytes + 8 * part, 8));
        } else {
          float v;
          std::memcpy(&v, bytes + 4 * part, 4);
          list_real(out, v);
        }
      }
      out.put(')');
      break;
    }
    case ItemClass::kCharacter: {
      if (!c.list_first_item && !c.list_last_character) out.put(' ');
      const std::string_view text(bytes, static_cast<size_t>(state.bytes));
      const char delimiter = c.unit->delimiter;
      if (delimiter == 0) {
        out.put(text);
      } else {
        out.put(delimiter);
        for (const char ch : text) {
          out.put(ch);
          if (ch == delimiter) out.put(ch);
        }
        out.put(delimiter);
      }
      break;
    }
  }
  c.list_first_item = false;
  c.list_last_character = state.item_class == ItemClass::kCharacter;
}

void read_formatted_value(IoContext& c, const IoItem& item, const ItemState& state, int part) {
  InputFormat input(c);
  const DataEdit edit = c.walker.next_data(input);
  RecordBuffer& record = c.record;
  char* bytes = static_cast<char*>(item.address);
  if (state.item_class == ItemClass::kCharacter) {
    edit_input_character(record, bytes, static_cast<size_t>(state.bytes), edit.w);
    return;
  }
  // A numeric field: w characters (what remains of a short record), blanks
  // ignored; an empty field reads as zero.
  std::string_view field = record.rest().substr(0, static_cast<size_t>(edit.w > 0 ? edit.w : 0));
  record.set_position(record.position() + field.size());
  std::string token;
  for (const char ch : field) {
    if (ch != ' ') token.push_back(ch);
  }
  if (state.item_class == ItemClass::kReal || state.item_class == ItemClass::kComplex) {
    double value = token.empty() ? 0.0 : convert_real(token);
    if (edit.d > 0 && token.find_first_of(".eEdD") == std::string::npos && !token.empty()) {
      value /= dpow(10.0, edit.d);  // an implied decimal point
    }
    const int32_t element = state.item_class == ItemClass::kComplex ? state.bytes / 2 : state.bytes;
    if (element == 8) {
      std::memcpy(bytes + 8 * part, &value, 8);
    } else {
      const auto single = static_cast<float>(value);
      std::memcpy(bytes + 4 * part, &single, 4);
    }
  } else {
    const int32_t value = token.empty() ? 0 : convert_integer(token);
    std::memcpy(bytes, &value, static_cast<size_t>(state.bytes == 4 ? 4 : state.bytes));
  }
}

void read_list_value(ListInput& input, const IoItem& item, const ItemState& state) {
  char* bytes = static_cast<char*>(item.address);
  switch (state.item_class) {
    case ItemClass::kInteger:
      input.read_integer(bytes, state.bytes);
      break;
    case ItemClass::kLogical:
      input.read_logical(bytes, state.bytes);
      break;
    case ItemClass::kReal:
      input.read_real(bytes, state.bytes);
      break;
    case ItemClass::kComplex:
      input.read_real(bytes, state.bytes / 2);
      input.read_real(bytes + state.bytes / 2, state.bytes / 2);
      break;
    case ItemClass::kCharacter:
      input.read_character(bytes, static_cast<size_t>(state.bytes));
      break;
  }
}

// Ends the statement in `c`: completes the format and ends the record.
int32_t end_statement(IoContext& c) {
  if (!c.active) return 0;
  if (c.failed) {
    c.active = false;
    return 1;
  }
  const int32_t result = guarded(c, [&c] {
    if (c.kind == kWrite) {
      OutputFormat output(c);
      if (c.format != nullptr) c.walker.finish(output);
      end_record_of(c, c.format != nullptr);
    } else {
      InputFormat input(c);
      if (c.format != nullptr) c.walker.finish(input);
      c.record.clear();  // the rest of the record is discarded
    }
  });
  c.active = false;
  c.list_input.reset();
  return result;
}

}  // namespace

void begin_statement(IoContext& c, const IoStatement& statement, int32_t kind) {
  if (c.active) end_statement(c);  // a statement left open by a caller ends here
  c.kind = kind;
  c.default_unit = statement.unit == nullptr;
  c.unit_number = statement.unit == nullptr ? -1 : *statement.unit;
  c.handler_flags = statement.handler_flags;
  c.status = statement.status;
  c.format = statement.format;
  c.unit = nullptr;
  c.failed = false;
  c.active = true;
  c.list_first_item = true;
  c.list_last_character = false;
  c.record_handed_over = 0;
  c.record.clear();
  if (c.status != nullptr) *c.status = 0;
}

int32_t begin_write(const IoStatement& statement) {
  console_hooks().poll();
  IoContext& c = context();
  begin_statement(c, statement, kWrite);
  return guarded(c, [&c] {
    if (c.format != nullptr) c.walker.prepare(*c.format);
    c.unit = &resolve_unit(c.unit_number, c.default_unit, kWrite);
    if (!c.unit->writable) throw IoFailure{kFileNotOpenForWrite};
    if (c.format == nullptr) c.record.put(' ');  // list-directed records begin with a blank
  });
}

int32_t begin_read(const IoStatement& statement) {
  IoContext& c = context();
  begin_statement(c, statement, kRead);
  return guarded(c, [&c] {
    if (c.format != nullptr) c.walker.prepare(*c.format);
    c.unit = &resolve_unit(c.unit_number, c.default_unit, kRead);
    if (c.unit->number != kStdInputUnit) console_hooks().poll();
    if (!c.unit->readable) throw IoFailure{kFileNotOpenForRead};
    if (c.format == nullptr) {
      c.unit_reader.unit = c.unit;
      c.list_input.emplace(c.record, c.unit_reader);
    }
    read_record(*c.unit, c.record);
  });
}

int32_t transfer_item(const IoItem& item) {
  IoContext& c = context();
  if (!c.active || c.failed) return c.failed ? 1 : 0;
  return guarded(c, [&c, &item] {
    const ItemState state = classify(item);
    const int parts = state.item_class == ItemClass::kComplex ? 2 : 1;
    if (c.kind == kWrite) {
      if (c.format == nullptr) {
        write_list_value(c, item, state);
        hand_over_record_piece(*c.unit, c.record, c.record_handed_over);
      } else {
        for (int part = 0; part < parts; ++part) write_formatted_value(c, item, state, part);
      }
    } else if (c.format == nullptr) {
      read_list_value(*c.list_input, item, state);
    } else {
      for (int part = 0; part < parts; ++part) read_formatted_value(c, item, state, part);
    }
  });
}

int32_t end_statement() {
  return end_statement(context());
}

}  // namespace textio
