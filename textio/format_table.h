// Compiled formats and the walker that steps through them.
//
// A format such as "(2X,'ROW ',I4/(10F9.4))" is compiled once into a table
// of five-word entries: a header entry, one entry per descriptor (a literal
// followed by its text in ceil(len/20) extra entries), group open/close
// entries, and an end entry whose word 4 is the signed distance back to the
// entry where format reversion resumes. A group holding a single descriptor
// is flattened into that descriptor with the group's repeat count.
//
// Entry words: 0 the code (for E, exponent digits in bits 10-15, 0 meaning
// 2); 1 d, or m for I; 2 w, the count of X or '/', or the literal's length;
// 3 the offset in the text where the descriptor (with its repeat count)
// begins; 4 the repeat count. The header entry holds only the offset of the
// opening parenthesis. Every '/' is an entry of its own ("///" is three,
// "3/" is one with count 3); nHtext and 'text' give the same literal.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace textio {

enum DescriptorCode : int32_t {
  kDescA = 1,
  kDescE = 4,
  kDescF = 7,
  kDescI = 9,
  kDescSlash = 14,
  kDescLiteral = 16,
  kDescX = 24,
  kDescGroupOpen = 27,
  kDescGroupClose = 28,
  kDescEnd = 29,
};

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

using FormatEntry = std::array<int32_t, 5>;

struct FormatTable {
  std::vector<FormatEntry> entries;
};

// Compiles format text (with its outer parentheses). Blanks outside
// literals are ignored and commas between descriptors may be left out; a
// comma must follow a descriptor or group. Bad text throws IoFailure:
// 10009 no '(' first; 10010 parentheses that do not pair (or text ending
// inside the format); 10011 a literal without its closing quote; 10008 an
// nH count past the end; 10007 a repeat or X, H, '/' count of zero or
// beyond 2^31-1; 10012 a count before a quoted literal, ',' or ')';
// 10006 anything else (unknown letters, F or E without .d, A0, E..E0).
FormatTable compile_format(std::string_view text);

// Text of the literal whose entry is at `index`.
std::string_view literal_text(const FormatTable& table, size_t index);

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
