// Internal: the walker that steps through a compiled format for one
// statement, handing each item its data edit descriptor.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "textio/format_table.h"

namespace textio {

// Edit codes the converters are driven by.
enum EditCode : int32_t {
  kEditI = 1,
  kEditF = 5,
  kEditE = 6,
  kEditX = 15,
  kEditA = 12,
  kEditSlash = 18,
  kEditLiteral = 19,
};

// A data edit descriptor handed to one item.
struct DataEdit {
  int32_t edit_code;  // kEditI, kEditF, kEditE or kEditA
  int32_t w;          // field width; 0 for A without width
  int32_t d;          // decimals (F), digits (E), minimum digits (I)
  int32_t e;          // exponent digits for E (2 when not given)
};

// What the walker asks of the statement it runs in.
class FormatContext {
 public:
  virtual ~FormatContext() = default;
  virtual void emit_literal(std::string_view text) = 0;
  virtual void move_right(int32_t count) = 0;
  // A `/`, or the start of format reversion: ends (or, on input, leaves)
  // the current record.
  virtual void end_record() = 0;
};

class FormatWalker {
 public:
  // Throws IoFailure(10015) past 20 nested groups, and 10006 for a table
  // whose groups or end entry are malformed (tables not made by
  // compile_format).
  void prepare(const FormatTable& table);
  // Carries out the non-data descriptors up to the next data descriptor and
  // returns it; reversion at the end entry ends the record first. A format
  // whose repeated part holds no data descriptor throws 10006 at its second
  // reversion within one fetch.
  DataEdit next_data(FormatContext& context);
  // End of statement: carries out the non-data descriptors up to the next
  // data descriptor or the end entry (the caller then ends the record).
  void finish(FormatContext& context);

 private:
  // Carries out the non-data entry at current_ and moves past it.
  void step(FormatContext& context);

  struct Group {
    int32_t remaining;
    size_t first_entry;
  };
  const FormatTable* table_ = nullptr;
  size_t current_ = 0;
  int32_t repeats_left_ = 0;
  DataEdit current_edit_{};
  std::vector<Group> groups_;
};

}  // namespace textio
