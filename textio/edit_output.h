// Output conversions: one value into the record buffer at its current
// position. Numbers are turned into digits by the run-time's own decimal
// digit algorithm, never by the C library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "textio/record_buffer.h"

namespace textio {

// Iw.m
void edit_integer(RecordBuffer& out, int64_t value, int32_t w, int32_t m);
// Fw.d of a 4-byte (is_double false) or 8-byte real.
void edit_fixed(RecordBuffer& out, double value, bool is_double, int32_t w, int32_t d);
// Ew.d with e exponent digits (0 means 2).
void edit_exponent(RecordBuffer& out, double value, bool is_double, int32_t w, int32_t d,
                   int32_t e);
// A or Aw (w == 0: the item's own length).
void edit_character(RecordBuffer& out, std::string_view value, int32_t w);

// List-directed layout of one item (the record's leading blank and the
// blank between character items are the statement's business). Numbers
// begin with two blanks, or one blank and '-'. A 4-byte real whose decimal
// exponent at seven significant digits is 0..6 is fixed point with 6 - h
// decimals, else d.ddddddE+xx; an 8-byte real takes the same shape at
// fifteen significant digits (fixed for h in 0..14, else 1 + 14 digits and
// an exponent of two or three digits).
void list_integer(RecordBuffer& out, int64_t value);
void list_real(RecordBuffer& out, float value);
void list_double(RecordBuffer& out, double value);
void list_logical(RecordBuffer& out, bool value);

// The bytes list_real puts into a record for `value`, written at `out`,
// which needs kListRealRoom bytes of room; returns how many they are. It
// touches nothing else, so any thread may format values this way.
inline constexpr size_t kListRealRoom = 48;
size_t list_real_text(float value, char* out);
// The same for values[0 .. count - 1], back to back at `out`, which needs
// count x kListRealRoom bytes of room.
size_t list_reals_text(const float* values, size_t count, char* out);

}  // namespace textio
