// Compiled formats: the table a format text compiles into once.
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
#include <cstddef>
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

using FormatEntry = std::array<int32_t, 5>;

struct FormatTable {
  std::vector<FormatEntry> entries;
};

// A literal's text runs on through the entries behind it, this many bytes
// each.
inline constexpr int32_t kTextPerEntry = 20;
static_assert(sizeof(FormatEntry) == kTextPerEntry, "literal text runs on through whole entries");

inline int32_t code_of(const FormatEntry& entry) {
  return entry[0] & 0x7F;
}

// Entries a descriptor occupies: a literal carries its text behind it.
inline size_t span_of(const FormatEntry& entry) {
  if (code_of(entry) != kDescLiteral) return 1;
  return 1 + static_cast<size_t>((entry[2] + kTextPerEntry - 1) / kTextPerEntry);
}

// Compiles format text (with its outer parentheses). Blanks outside
// literals are ignored and commas between descriptors may be left out; a
// comma must follow a descriptor or group. Bad text is a fatal error of the
// run: "? FORTRAN Runtime Error:", "? " + the message of its code, "? in
// format <text>, offset <n>" (where the compiler stopped, 0-based), files
// closed, finish(-1), exit -1. The codes: 10009 no '(' first; 10010 parentheses that do not pair
// (or text ending inside the format); 10011 a literal without its closing quote; 10008 an nH count
// past the end; 10007 a repeat or X, H, '/' count of zero or beyond 2^31-1; 10012 a count before a
// quoted literal, ',' or ')'; 10006 anything else (unknown letters, F or E without .d, A0, E..E0).
FormatTable compile_format(std::string_view text);

// Bad format text and where in it the compiler stopped.
struct FormatError {
  int32_t code;
  size_t offset;
};
// The same compiler for text a caller checks itself (the fuzzer, tests):
// bad text throws FormatError.
FormatTable compile_format_or_throw(std::string_view text);

// Text of the literal whose entry is at `index`.
std::string_view literal_text(const FormatTable& table, size_t index);

}  // namespace textio
