#include "output_reference.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "textio/powers.h"

namespace textio::reference {

namespace {

// Powers of ten as the run-time's own powering rounds them; h0 lies within
// [-308, 307] for every normal double.
constexpr int32_t kMaxPower = 308;

const std::array<double, kMaxPower + 1>& powers_of_ten() {
  static const std::array<double, kMaxPower + 1> table = [] {
    std::array<double, kMaxPower + 1> t{};
    for (int32_t k = 0; k <= kMaxPower; ++k) t[k] = dpow(10.0, k);
    return t;
  }();
  return table;
}

uint64_t bits_of(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Floor division by 65536 that also rounds negative quotients down.
int32_t floor_div_65536(int32_t n) {
  return n >= 0 ? n / 65536 : -((-n + 65535) / 65536);
}

void fill_zeros(DecimalDigits& d) {
  std::memset(d.digits, '0', DecimalDigits::kLength);
}

// Leaves '1' and zeros: the carry ran out of the first digit.
void carry_out(DecimalDigits& d) {
  fill_zeros(d);
  d.digits[0] = '1';
  ++d.exponent;
}

// Adds one to the first `count` digits (count >= 1).
void increment(DecimalDigits& d, int32_t count) {
  for (int32_t i = count - 1; i >= 0; --i) {
    if (d.digits[i] != '9') {
      ++d.digits[i];
      return;
    }
    d.digits[i] = '0';
  }
  carry_out(d);
}

}  // namespace

DecimalDigits decimal_digits(double value, bool is_double) {
  DecimalDigits d;
  d.generated = is_double ? 16 : 8;
  const uint64_t bits = bits_of(value);
  d.negative = (bits >> 63) != 0;
  const int32_t biased = static_cast<int32_t>((bits >> 52) & 0x7FF);
  const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
  fill_zeros(d);
  if (biased == 0x7FF) {
    d.kind = fraction != 0 ? DecimalDigits::kNaN : DecimalDigits::kInfinity;
    return d;
  }
  if (biased == 0) return d;  // zero, or a subnormal 8-byte value: shown as zero

  const double magnitude = value < 0 ? -value : value;
  const int32_t h0 = floor_div_65536(biased * 19728 - 20181744);
  double scaled = magnitude;
  if (h0 > 0) {
    scaled = magnitude / powers_of_ten()[h0];
  } else if (h0 < 0) {
    scaled = magnitude * powers_of_ten()[-h0];
  }
  if (scaled >= 10.0) {
    scaled = scaled / 10.0;
    d.exponent = h0 + 2;
  } else {
    d.exponent = h0 + 1;
  }

  // The scaled value is M x 2^-shift with shift >= 49, so the leading
  // digits are floor(M x 10^(n-1) / 2^shift), exactly, in 128 bits.
  const uint64_t scaled_bits = bits_of(scaled);
  const int32_t scaled_biased = static_cast<int32_t>((scaled_bits >> 52) & 0x7FF);
  const uint64_t mantissa = (scaled_bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
  const int32_t shift = 1075 - scaled_biased;
  const uint64_t unit = is_double ? 1'000'000'000'000'000ull : 10'000'000ull;
  __extension__ using Wide = unsigned __int128;
  const Wide product = static_cast<Wide>(mantissa) * unit;
  uint64_t leading = shift >= 128 ? 0 : static_cast<uint64_t>(product >> shift);
  for (int32_t i = d.generated - 1; i >= 0; --i) {
    d.digits[i] = static_cast<char>('0' + leading % 10);
    leading /= 10;
  }
  return d;
}

LongDivision long_division_digits(double value, bool is_double) {
  LongDivision r;
  r.digits.assign(20, '0');
  const uint64_t bits = bits_of(value);
  const int32_t biased = static_cast<int32_t>((bits >> 52) & 0x7FF);
  if (biased == 0) return r;
  const double x = std::fabs(value);
  const int32_t n = biased * 19728 - 20181744;
  int32_t h0 = n / 65536;
  if (n % 65536 != 0 && n < 0) --h0;
  double s = h0 > 0 ? x / dpow(10.0, h0) : h0 < 0 ? x * dpow(10.0, -h0) : x;
  if (s >= 10.0) {
    s /= 10.0;
    r.h = h0 + 2;
  } else {
    r.h = h0 + 1;
  }
  const uint64_t sb = bits_of(s);
  const int32_t shift = 1075 - static_cast<int32_t>((sb >> 52) & 0x7FF);
  const uint64_t mantissa = (sb & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
  uint64_t remainder = mantissa & ((uint64_t{1} << shift) - 1);
  r.digits[0] = static_cast<char>('0' + (mantissa >> shift));
  const int count = is_double ? 16 : 8;
  for (int i = 1; i < count; ++i) {
    remainder *= 10;
    r.digits[i] = static_cast<char>('0' + (remainder >> shift));
    remainder &= (uint64_t{1} << shift) - 1;
  }
  return r;
}

void round_digits(DecimalDigits& d, int32_t m) {
  if (d.kind != DecimalDigits::kFinite || m <= -1) return;
  if (m < d.generated) {
    const bool up = d.digits[m] >= '5';
    std::memset(d.digits + m, '0', DecimalDigits::kLength - m);
    if (!up) return;
    if (m == 0) {
      carry_out(d);
    } else {
      increment(d, m);
    }
    return;
  }
  const int32_t last = d.generated - 1;
  if (d.digits[last] < '5') return;
  d.digits[last] = '0';
  increment(d, last);
}

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

// Digits at 1-based positions first .. first+count-1; past the twentieth
// they are zeros.
void put_digits(RecordBuffer& out, const DecimalDigits& digits, int64_t first, int64_t count) {
  if (count <= 0) return;
  if (first <= DecimalDigits::kLength) {
    const int64_t available = std::min<int64_t>(count, DecimalDigits::kLength - first + 1);
    out.put(std::string_view(digits.digits + first - 1, static_cast<size_t>(available)));
    count -= available;
  }
  zeros(out, count);
}

// NaN and infinity, right-justified in w. Returns false for a finite value.
bool edit_not_finite(RecordBuffer& out, const DecimalDigits& digits, int32_t w) {
  if (digits.kind == DecimalDigits::kFinite) return false;
  const std::string_view text = digits.kind == DecimalDigits::kNaN ? "NaN" : "INF";
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

// Writes `value` as decimal digits at the end of buf, returning the start.
char* unsigned_digits(uint64_t value, char* end) {
  do {
    *--end = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  return end;
}

// List-directed reals. A 4-byte value is fixed point with 6 - h decimals
// when its h at seven significant digits lies in 0..6, else one digit,
// point, six digits and a two-digit exponent. An 8-byte value keeps the
// same shape at fifteen significant digits.
void list_real_value(RecordBuffer& out, double value, bool is_double) {
  const int32_t significant = is_double ? 15 : 7;
  const DecimalDigits digits = decimal_digits(value, is_double);
  char text[64];
  char* p = text;
  *p++ = ' ';
  *p++ = digits.negative ? '-' : ' ';
  auto copy_digits = [&p](const DecimalDigits& from, int32_t first, int32_t count) {
    for (int32_t i = 0; i < count; ++i) *p++ = from.at(first + i);
  };

  if (digits.kind != DecimalDigits::kFinite) {
    const char* word = digits.kind == DecimalDigits::kNaN ? "NaN" : "INF";
    for (int i = 0; i < 3; ++i) *p++ = word[i];
  } else {
    DecimalDigits probe = digits;
    round_digits(probe, probe.exponent + significant);
    const int32_t h = probe.exponent;
    if (h >= 0 && h <= significant - 1) {
      // Fixed point by the F rules, the padding being the two leading columns.
      const int32_t d = significant - 1 - h;
      DecimalDigits fixed = digits;
      round_digits(fixed, fixed.exponent + d);
      const int32_t hf = fixed.exponent;
      if (hf <= 0 && hf + d <= 0) {
        text[1] = ' ';  // rounds to zero: no sign
        *p++ = '0';
        *p++ = '.';
        for (int32_t i = 0; i < d; ++i) *p++ = '0';
      } else if (hf <= 0) {
        *p++ = '.';
        for (int32_t i = 0; i < -hf; ++i) *p++ = '0';
        copy_digits(fixed, 1, d + hf);
      } else {
        copy_digits(fixed, 1, hf);
        *p++ = '.';
        copy_digits(fixed, hf + 1, d);
      }
    } else {
      DecimalDigits scientific = digits;
      round_digits(scientific, significant);
      copy_digits(scientific, 1, 1);
      *p++ = '.';
      copy_digits(scientific, 2, significant - 1);
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
  out.put(std::string_view(text, static_cast<size_t>(p - text)));
}

}  // namespace

void edit_fixed(RecordBuffer& out, double value, bool is_double, int32_t w, int32_t d) {
  DecimalDigits digits = decimal_digits(value, is_double);
  if (edit_not_finite(out, digits, w)) return;
  if (d < 0) d = 0;
  round_digits(digits, clamp_digits(int64_t{digits.exponent} + d));
  const int64_t h = digits.exponent;
  const int64_t width = w;
  if (h <= 0 && d == 0) {
    blanks(out, width - 2);
    if (width >= 2) out.put('0');
    out.put('.');
    return;
  }
  if (h <= 0 && h + d <= 0) {
    const int64_t room = width - d - 2;
    blanks(out, room);
    if (room >= 0) out.put('0');
    out.put('.');
    zeros(out, d);
    return;
  }
  const int64_t unsigned_width = width - (digits.negative ? 1 : 0);
  const int64_t before_point = unsigned_width - d - 1;
  if (h <= 0) {
    if (before_point < 0) {
      asterisks(out, w);
      return;
    }
    blanks(out, before_point);
    if (digits.negative) out.put('-');
    out.put('.');
    zeros(out, -h);
    put_digits(out, digits, 1, d + h);
    return;
  }
  if (h > before_point) {
    asterisks(out, w);
    return;
  }
  blanks(out, before_point - h);
  if (digits.negative) out.put('-');
  put_digits(out, digits, 1, h);
  out.put('.');
  put_digits(out, digits, h + 1, d);
}

void edit_exponent(RecordBuffer& out, double value, bool is_double, int32_t w, int32_t d,
                   int32_t e) {
  DecimalDigits digits = decimal_digits(value, is_double);
  if (edit_not_finite(out, digits, w)) return;
  if (d < 0) d = 0;
  if (e <= 0) e = 2;
  round_digits(digits, clamp_digits(d));
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
  blanks(out, room);
  if (digits.negative) out.put('-');
  if (leading_zero) out.put('0');
  out.put('.');
  put_digits(out, digits, 1, d);
  if (letter) out.put('E');
  out.put(h < 0 ? '-' : '+');
  char buffer[12];
  char* const end = buffer + sizeof buffer;
  const char* const first = unsigned_digits(magnitude, end);
  zeros(out, exponent_width - (end - first));
  out.put(std::string_view(first, static_cast<size_t>(end - first)));
}

void list_real(RecordBuffer& out, float value) {
  list_real_value(out, static_cast<double>(value), false);
}

void list_double(RecordBuffer& out, double value) {
  list_real_value(out, value, true);
}

}  // namespace textio::reference
