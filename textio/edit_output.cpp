#include "textio/edit_output.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "textio/decimal_digits.h"

namespace textio {

namespace {

void blanks(RecordBuffer& out, int64_t count) {
  if (count > 0) out.fill(' ', static_cast<size_t>(count));
}

void zeros(RecordBuffer& out, int64_t count) {
  if (count > 0) out.fill('0', static_cast<size_t>(count));
}

// A field too narrow for its value is filled with asterisks, whatever the sign.
void asterisks(RecordBuffer& out, int32_t w) {
  if (w > 0) out.fill('*', static_cast<size_t>(w));
}

// Writes `value` as decimal digits at the end of buf, returning the start.
char* unsigned_digits(uint64_t value, char* end) {
  do {
    *--end = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  return end;
}

// The fields of reals are laid out in a local block with room to spare, so
// that short runs of digits, blanks and zeros are fixed-size moves; `p`
// walks the block.
constexpr int64_t kSpare = 32;

char* fill(char* p, char c, int64_t count) {
  if (count <= 0) return p;
  if (count <= kSpare) {
    std::memset(p, c, kSpare);
  } else {
    std::memset(p, c, static_cast<size_t>(count));
  }
  return p + count;
}

// The digit string of a real, spelt out: the generated digits, then zeros
// for every later position (positions past the twentieth print as '0' too).
class DigitText {
 public:
  explicit DigitText(const PackedDigits& digits) {
    std::memset(text_, '0', sizeof text_);
    write_generated(digits, text_);
  }
  // Digits at 1-based positions first .. first+count-1 at `p`.
  char* copy(char* p, int64_t first, int64_t count) const {
    if (count <= 0) return p;
    if (first <= kStored - kSpare + 1 && count <= kSpare) {
      std::memcpy(p, text_ + first - 1, kSpare);
      return p + count;
    }
    if (first <= kStored) {
      const int64_t available = std::min<int64_t>(count, kStored - first + 1);
      std::memcpy(p, text_ + first - 1, static_cast<size_t>(available));
      p += available;
      count -= available;
    }
    return fill(p, '0', count);
  }
  char first() const { return text_[0]; }

 private:
  static constexpr int64_t kStored = 16 + kSpare;
  char text_[kStored];
};

// A field's block: on the stack for the usual widths, else on the heap.
class FieldBlock {
 public:
  explicit FieldBlock(size_t room) {
    if (room + kSpare > sizeof local_) {
      heap_.resize(room + kSpare);
      start_ = heap_.data();
    }
  }
  char* start() { return start_; }
  void put_into(RecordBuffer& out, const char* end) {
    const auto used = static_cast<size_t>(end - start_);
    if (start_ == local_) {
      out.put_block(local_, used);
    } else {
      out.put(std::string_view(start_, used));
    }
  }

 private:
  char local_[128];
  char* start_ = local_;
  std::string heap_;
};

// NaN and infinity, right-justified in w. Returns false for a finite value.
bool edit_not_finite(RecordBuffer& out, const PackedDigits& digits, int32_t w) {
  if (digits.kind == PackedDigits::kFinite) return false;
  const std::string_view text = digits.kind == PackedDigits::kNaN ? "NaN" : "INF";
  const int32_t length = 3 + (digits.negative ? 1 : 0);
  if (w < length) {
    asterisks(out, w);
  } else {
    blanks(out, w - length);
    if (digits.negative) out.put('-');
    out.put(text);
  }
  return true;
}

// Significant digits to keep for a count that may lie far outside the
// digit string: from the generated count on, every m rounds the same way.
int32_t clamp_digits(int64_t m) {
  return static_cast<int32_t>(std::clamp<int64_t>(m, -1, 64));
}

// Room a field may take: w, or d plus a few when a value that rounds to
// zero shows all its decimals in a narrower field.
size_t field_room(int32_t w, int32_t d, int32_t e) {
  return static_cast<size_t>(std::max(w, 0)) + static_cast<size_t>(std::max(d, 0)) +
         static_cast<size_t>(std::max(e, 0)) + 16;
}

// List-directed reals. A 4-byte value is fixed point with 6 - h decimals
// when its h at seven significant digits lies in 0..6, else one digit,
// point, six digits and a two-digit exponent. An 8-byte value keeps the
// same shape at fifteen significant digits. The digits are computed once;
// each layout rounds its own copy of them.
// The eight digits of x < 10^8 as ASCII in one word, the first digit in the
// lowest byte: halves of four digits, quarters of two, then single digits,
// each split by a multiplication that is exact for its lane's range.
uint64_t ascii_digits(uint32_t x) {
  const uint64_t halves = (x / 10000) | (uint64_t{x % 10000} << 32);
  const uint64_t hundreds = ((halves * 10486) >> 20) & 0x0000007F0000007Full;
  const uint64_t quarters = hundreds | ((halves - hundreds * 100) << 16);
  const uint64_t tens = ((quarters * 103) >> 10) & 0x000F000F000F000Full;
  const uint64_t digits = tens | ((quarters - tens * 10) << 8);
  return digits + 0x3030303030303030ull;
}

// "000" .. "999" in the low three bytes, the first digit lowest.
struct DigitTriples {
  uint32_t text[1000];
  constexpr DigitTriples() : text() {
    for (uint32_t i = 0; i < 1000; ++i) {
      text[i] = (0x30u + i / 100) | ((0x30u + i / 10 % 10) << 8) | ((0x30u + i % 10) << 16);
    }
  }
};
constexpr DigitTriples kDigitTriples{};

void store_word(char* p, uint64_t word) {
  std::memcpy(p, &word, sizeof word);
}

// A list-directed 4-byte real in its usual shapes, built in registers and
// stored straight at the end of the record: fixed point with at least one
// digit before the point or none (h = 0), and the exponent form. False
// leaves the value to the general layout.
template <class Sink>
bool list_real_direct(Sink& out, const PackedDigits& digits) {
  if (digits.kind != PackedDigits::kFinite) return false;
  const int32_t h = digits.exponent + (rounding_carries(digits, digits.exponent + 7) ? 1 : 0);
  const uint64_t prefix = digits.negative ? 0x2D20u : 0x2020u;  // "  " or " -"
  if (h >= 0 && h <= 6) {
    const int32_t d = 6 - h;
    PackedDigits fixed = digits;
    round_packed(fixed, fixed.exponent + d);
    const int32_t hf = fixed.exponent;
    if (hf < 0 || hf + d <= 0) return false;
    // hf + d <= 7: every digit shown is a generated one.
    const uint64_t text = ascii_digits(static_cast<uint32_t>(fixed.value));
    uint64_t word;
    if (hf == 0) {
      word = uint64_t{'.'} | (text << 8);
    } else {
      const int32_t bits = 8 * hf;
      const uint64_t before = text & ((uint64_t{1} << bits) - 1);
      // Seven digits before the point leave none after it (and a shift by 64
      // would be undefined).
      const uint64_t after = bits + 8 >= 64 ? 0 : (text >> bits) << (bits + 8);
      word = before | (uint64_t{'.'} << bits) | after;
    }
    char* p = out.end_room(16);
    if (p == nullptr) return false;
    std::memcpy(p, &prefix, 2);
    store_word(p + 2, word);
    out.advance(static_cast<size_t>(3 + hf + d));
    return true;
  }
  PackedDigits scientific = digits;
  round_packed(scientific, 7);
  const int32_t exponent = scientific.exponent - 1;
  const uint32_t magnitude = static_cast<uint32_t>(exponent < 0 ? -exponent : exponent);
  if (magnitude > 99) return false;
  const uint64_t text = ascii_digits(static_cast<uint32_t>(scientific.value));
  // d.dddddd: the first digit, the point, digits two to seven.
  const uint64_t mantissa = (text & 0xFF) | (uint64_t{'.'} << 8) | ((text >> 8) << 16);
  const uint64_t tail = uint64_t{'E'} | (uint64_t{exponent < 0 ? 0x2Du : 0x2Bu} << 8) |
                        (uint64_t{'0' + magnitude / 10} << 16) |
                        (uint64_t{'0' + magnitude % 10} << 24);
  char* p = out.end_room(16);
  if (p == nullptr) return false;
  std::memcpy(p, &prefix, 2);
  store_word(p + 2, mantissa);
  std::memcpy(p + 10, &tail, 4);
  out.advance(14);
  return true;
}

template <bool is_double, class Sink>
void list_real_value(Sink& out, double value) {
  constexpr int32_t significant = is_double ? 15 : 7;
  const PackedDigits digits = packed_digits(value, is_double);
  if constexpr (!is_double) {
    if (list_real_direct(out, digits)) return;
  }
  // At most 34 bytes, and the spare room of the copies.
  char text[80];
  char* p = text;
  *p++ = ' ';
  *p++ = digits.negative ? '-' : ' ';

  if (digits.kind != PackedDigits::kFinite) {
    std::memcpy(p, digits.kind == PackedDigits::kNaN ? "NaN" : "INF", 3);
    p += 3;
  } else {
    const int32_t h =
        digits.exponent + (rounding_carries(digits, digits.exponent + significant) ? 1 : 0);
    if (h >= 0 && h <= significant - 1) {
      // Fixed point by the F rules, the padding being the two leading columns.
      const int32_t d = significant - 1 - h;
      PackedDigits fixed = digits;
      round_packed(fixed, fixed.exponent + d);
      const int32_t hf = fixed.exponent;
      const DigitText spelt(fixed);
      if (hf <= 0 && hf + d <= 0) {
        text[1] = ' ';  // rounds to zero: no sign
        *p++ = '0';
        *p++ = '.';
        p = fill(p, '0', d);
      } else if (hf <= 0) {
        *p++ = '.';
        p = fill(p, '0', -hf);
        p = spelt.copy(p, 1, d + hf);
      } else {
        p = spelt.copy(p, 1, hf);
        *p++ = '.';
        p = spelt.copy(p, hf + 1, d);
      }
    } else {
      PackedDigits scientific = digits;
      round_packed(scientific, significant);
      const DigitText spelt(scientific);
      *p++ = spelt.first();
      *p++ = '.';
      p = spelt.copy(p, 2, significant - 1);
      const int32_t exponent = scientific.exponent - 1;
      *p++ = 'E';
      *p++ = exponent < 0 ? '-' : '+';
      const uint32_t magnitude = static_cast<uint32_t>(exponent < 0 ? -exponent : exponent);
      if (magnitude < 10) *p++ = '0';
      char buffer[12];
      char* const end = buffer + sizeof buffer;
      for (const char* q = unsigned_digits(magnitude, end); q != end; ++q) *p++ = *q;
    }
  }
  out.put_block(text, static_cast<size_t>(p - text));
}

// The list-directed text of exact digits (packed_digits_exact: h from -3
// to 1) as list_real_direct lays them out, straight from the digit
// string: fixed point with six digits for h = 0 and 1, else d.dddddd and
// the exponent. 0 when rounding may carry out of the first digit, which
// changes the shape (left to the general way).
[[gnu::always_inline]] inline size_t list_real_exact(char* p, const PackedDigits& digits) {
  if (digits.value >= 99'999'950) return 0;
  const uint64_t prefix = digits.negative ? 0x2D20u : 0x2020u;  // "  " or " -"
  std::memcpy(p, &prefix, 2);
  if (digits.exponent >= 0) {
    // Six digits rounded half up, the first in the lowest byte: two table
    // look-ups keep the chain per value short.
    const auto kept = static_cast<uint32_t>((digits.value + 50) / 100);
    const uint64_t six = uint64_t{kDigitTriples.text[kept / 1000]} |
                         (uint64_t{kDigitTriples.text[kept % 1000]} << 24);
    const uint64_t word = digits.exponent == 0
                              ? uint64_t{'.'} | (six << 8)
                              : (six & 0xFF) | (uint64_t{'.'} << 8) | ((six >> 8) << 16);
    store_word(p + 2, word);
    return 9;
  }
  const uint64_t seven = ascii_digits(static_cast<uint32_t>((digits.value + 5) / 10)) >> 8;
  const uint64_t mantissa = (seven & 0xFF) | (uint64_t{'.'} << 8) | ((seven >> 8) << 16);
  const uint32_t tail = uint32_t{'E'} | (uint32_t{'-'} << 8) | (uint32_t{'0'} << 16) |
                        (static_cast<uint32_t>('0' + 1 - digits.exponent) << 24);
  store_word(p + 2, mantissa);
  std::memcpy(p + 10, &tail, 4);
  return 14;
}

// A list-directed 4-byte real: the usual magnitudes from their exact
// digits, everything else the general way.
template <class Sink>
[[gnu::always_inline]] inline void list_real_of(Sink& out, float value) {
  PackedDigits digits;
  if (packed_digits_exact(value, digits)) {
    if (char* const p = out.end_room(16)) {
      if (const size_t length = list_real_exact(p, digits)) {
        out.advance(length);
        return;
      }
    }
  }
  list_real_value<false>(out, static_cast<double>(value));
}

// The end of a record as a plain block of bytes with room to spare.
class TextSink {
 public:
  explicit TextSink(char* at) : at_(at) {}
  char* end_room(size_t) { return at_ + used_; }
  void advance(size_t used) { used_ += used; }
  template <size_t N>
  void put_block(const char (&block)[N], size_t used) {
    std::memcpy(at_ + used_, block, used);
    used_ += used;
  }
  size_t used() const { return used_; }

 private:
  char* at_;
  size_t used_ = 0;
};

}  // namespace

void edit_integer(RecordBuffer& out, int64_t value, int32_t w, int32_t m) {
  const bool negative = value < 0;
  const uint64_t magnitude =
      negative ? uint64_t{0} - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  char buffer[24];
  char* const end = buffer + sizeof buffer;
  const char* const first = unsigned_digits(magnitude, end);
  const int64_t count = end - first;
  const int64_t shown = std::max<int64_t>(count, m);
  const int64_t length = shown + (negative ? 1 : 0);
  if (length > w) {
    asterisks(out, w);
    return;
  }
  blanks(out, w - length);
  if (negative) out.put('-');
  zeros(out, shown - count);
  out.put(std::string_view(first, static_cast<size_t>(count)));
}

void edit_fixed(RecordBuffer& out, double value, bool is_double, int32_t w, int32_t d) {
  PackedDigits digits = packed_digits(value, is_double);
  if (edit_not_finite(out, digits, w)) return;
  if (d < 0) d = 0;
  round_packed(digits, clamp_digits(int64_t{digits.exponent} + d));
  const int64_t h = digits.exponent;
  const int64_t width = w;
  FieldBlock field(field_room(w, d, 0));
  char* p = field.start();
  const int64_t unsigned_width = width - (digits.negative ? 1 : 0);
  const int64_t before_point = unsigned_width - d - 1;
  if (h <= 0 && d == 0) {
    p = fill(p, ' ', width - 2);
    if (width >= 2) *p++ = '0';
    *p++ = '.';
  } else if (h <= 0 && h + d <= 0) {
    const int64_t room = width - d - 2;
    p = fill(p, ' ', room);
    if (room >= 0) *p++ = '0';
    *p++ = '.';
    p = fill(p, '0', d);
  } else if (h <= 0) {
    if (before_point < 0) {
      p = fill(p, '*', w);
    } else {
      p = fill(p, ' ', before_point);
      if (digits.negative) *p++ = '-';
      *p++ = '.';
      p = fill(p, '0', -h);
      p = DigitText(digits).copy(p, 1, d + h);
    }
  } else if (h > before_point) {
    p = fill(p, '*', w);
  } else {
    const DigitText spelt(digits);
    p = fill(p, ' ', before_point - h);
    if (digits.negative) *p++ = '-';
    p = spelt.copy(p, 1, h);
    *p++ = '.';
    p = spelt.copy(p, h + 1, d);
  }
  field.put_into(out, p);
}

void edit_exponent(RecordBuffer& out, double value, bool is_double, int32_t w, int32_t d,
                   int32_t e) {
  PackedDigits digits = packed_digits(value, is_double);
  if (edit_not_finite(out, digits, w)) return;
  if (d < 0) d = 0;
  if (e <= 0) e = 2;
  round_packed(digits, clamp_digits(d));
  const int64_t unsigned_width = int64_t{w} - (digits.negative ? 1 : 0);
  int64_t room = unsigned_width - d - e - 3;
  const int32_t h = digits.exponent;
  const uint32_t magnitude = static_cast<uint32_t>(h < 0 ? -h : h);
  if (room < 0 || (magnitude > 9 && e < 2)) {
    asterisks(out, w);
    return;
  }
  // A third exponent digit takes the place of the letter.
  const bool letter = !(magnitude >= 100 && e == 2);
  const int32_t exponent_width = letter ? e : 3;
  const bool leading_zero = room > 0;
  if (leading_zero) --room;
  FieldBlock field(field_room(w, d, e));
  char* p = fill(field.start(), ' ', room);
  if (digits.negative) *p++ = '-';
  if (leading_zero) *p++ = '0';
  *p++ = '.';
  p = DigitText(digits).copy(p, 1, d);
  if (letter) *p++ = 'E';
  *p++ = h < 0 ? '-' : '+';
  char buffer[12];
  char* const end = buffer + sizeof buffer;
  const char* const first = unsigned_digits(magnitude, end);
  p = fill(p, '0', exponent_width - (end - first));
  std::memcpy(p, first, static_cast<size_t>(end - first));
  p += end - first;
  field.put_into(out, p);
}

void edit_character(RecordBuffer& out, std::string_view value, int32_t w) {
  if (w <= 0) {
    out.put(value);
  } else if (static_cast<size_t>(w) < value.size()) {
    out.put(value.substr(0, static_cast<size_t>(w)));
  } else {
    blanks(out, static_cast<int64_t>(w) - static_cast<int64_t>(value.size()));
    out.put(value);
  }
}

void list_integer(RecordBuffer& out, int64_t value) {
  const bool negative = value < 0;
  const uint64_t magnitude =
      negative ? uint64_t{0} - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  char buffer[24];
  char* const end = buffer + sizeof buffer;
  char* first = unsigned_digits(magnitude, end);
  if (negative) *--first = '-';
  *--first = ' ';
  if (!negative) *--first = ' ';
  out.put(std::string_view(first, static_cast<size_t>(end - first)));
}

void list_real(RecordBuffer& out, float value) {
  list_real_of(out, value);
}

size_t list_real_text(float value, char* out) {
  TextSink sink(out);
  list_real_of(sink, value);
  return sink.used();
}

size_t list_reals_text(const float* values, size_t count, char* out) {
  TextSink sink(out);
  for (size_t i = 0; i < count; ++i) list_real_of(sink, values[i]);
  return sink.used();
}

void list_double(RecordBuffer& out, double value) {
  list_real_value<true>(out, value);
}

void list_logical(RecordBuffer& out, bool value) {
  out.put(value ? " T" : " F");
}

}  // namespace textio
