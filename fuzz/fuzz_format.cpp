// Format text from arbitrary bytes: compiling must give a table or an
// IoFailure, never a crash; a table that compiles is walked for a few items
// and its fields converted, which must not fail in any other way either.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "textio/edit_output.h"
#include "textio/format_walker.h"
#include "textio/io_error.h"
#include "textio/record_buffer.h"

namespace {

// Huge repeat counts make walks long, not wrong: stop them early.
struct WalkLimit {};

class BoundedContext final : public textio::FormatContext {
 public:
  void emit_literal(std::string_view text) override {
    spend();
    record.put(text);
  }
  void move_right(int32_t count) override {
    spend();
    if (count > 0 && count < 4096) record.move_right(static_cast<size_t>(count));
  }
  void end_record() override {
    spend();
    record.clear();
  }
  textio::RecordBuffer record;

 private:
  void spend() {
    if (++actions_ > 10000) throw WalkLimit{};
  }
  int actions_ = 0;
};

void convert(textio::RecordBuffer& out, const textio::DataEdit& edit, double value) {
  if (edit.w > 512 || edit.d > 512) return;  // keep the buffer small
  switch (edit.edit_code) {
    case textio::kEditI:
      textio::edit_integer(out, static_cast<int64_t>(value * 1e6), edit.w, edit.d);
      break;
    case textio::kEditF:
      textio::edit_fixed(out, value, false, edit.w, edit.d);
      break;
    case textio::kEditE:
      textio::edit_exponent(out, value, true, edit.w, edit.d, edit.e);
      break;
    default:
      textio::edit_character(out, "TEXT", edit.w);
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  textio::FormatTable table;
  try {
    table = textio::compile_format_or_throw(text);
  } catch (const textio::FormatError&) {
    return 0;
  }
  double value = 0;
  if (size >= sizeof value) std::memcpy(&value, data + size - sizeof value, sizeof value);
  try {
    textio::FormatWalker walker;
    walker.prepare(table);
    BoundedContext context;
    for (int item = 0; item < 16; ++item) {
      convert(context.record, walker.next_data(context), value);
    }
    walker.finish(context);
  } catch (const textio::IoFailure&) {
  } catch (const WalkLimit&) {
  }
  return 0;
}
