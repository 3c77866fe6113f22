// Free-form input: tokens, repeat counts, null values, the slash, and the
// conversions of integer and real tokens.
#include "textio/list_input.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "textio/io_error.h"
#include "textio/powers.h"

namespace textio {
namespace {

bool is_blank(char c) {
  return c == ' ';
}
bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// The mantissa takes digits while it stays below 429496730 * 2^32.
constexpr uint64_t kMantissaLimit = 429496730ull << 32;

}  // namespace

int32_t convert_integer(std::string_view token) {
  size_t i = 0;
  bool negative = false;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
    negative = token[i] == '-';
    ++i;
  }
  // A value the 32-bit integers cannot hold is refused, not wrapped: a count
  // of 4294967300 must not be read as 4.
  const int64_t largest = negative ? int64_t{1} << 31 : (int64_t{1} << 31) - 1;
  int64_t value = 0;
  for (; i < token.size(); ++i) {
    if (!is_digit(token[i])) throw IoFailure{kIllegalNumericCharacter};
    value = value * 10 + (token[i] - '0');
    if (value > largest) {
      // Every character is still checked first, so "99999999999x" stays
      // an illegal character.
      for (; i < token.size(); ++i) {
        if (!is_digit(token[i])) throw IoFailure{kIllegalNumericCharacter};
      }
      throw IoFailure{kIntegerOutOfRange};
    }
  }
  return static_cast<int32_t>(negative ? -value : value);
}

double convert_real(std::string_view token) {
  size_t i = 0;
  bool negative = false;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
    negative = token[i] == '-';
    ++i;
  }
  if (i < token.size() && (token[i] == 'I' || token[i] == 'i')) {
    return negative ? -std::numeric_limits<double>::infinity()
                    : std::numeric_limits<double>::infinity();
  }
  if (i < token.size() && (token[i] == 'N' || token[i] == 'n')) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  for (size_t k = i; k < token.size(); ++k) {
    const char c = token[k];
    if (!is_digit(c) && c != '+' && c != '-' && c != '.' && c != 'D' && c != 'E' && c != 'd' &&
        c != 'e') {
      throw IoFailure{kIllegalNumericCharacter};
    }
  }
  uint64_t mantissa = 0;
  int64_t exponent = 0;
  bool any_digit = false;
  auto take_digit = [&](int digit) {
    // Past the limit (or where ten times the mantissa would not fit) the
    // digit no longer counts.
    if (mantissa < kMantissaLimit && mantissa <= (UINT64_MAX - 9) / 10) {
      mantissa = mantissa * 10 + static_cast<uint64_t>(digit);
      return true;
    }
    return false;
  };
  for (; i < token.size() && is_digit(token[i]); ++i) {
    any_digit = true;
    if (!take_digit(token[i] - '0')) ++exponent;
  }
  if (i < token.size() && token[i] == '.') {
    ++i;
    int64_t held_zeros = 0;
    bool full = false;
    for (; i < token.size() && is_digit(token[i]); ++i) {
      any_digit = true;
      if (full) continue;
      if (token[i] == '0') {
        ++held_zeros;
        continue;
      }
      // Zeros are multiplied in only when a nonzero digit follows them.
      for (; held_zeros > 0 && !full; --held_zeros) {
        if (take_digit(0)) {
          --exponent;
        } else {
          full = true;
        }
      }
      if (!full && take_digit(token[i] - '0')) {
        --exponent;
      } else {
        full = true;
      }
    }
  }
  // A real needs a digit before its exponent: a lone point or sign, or an
  // exponent alone, is not a number.
  if (!any_digit) throw IoFailure{kIllegalNumericCharacter};
  if (i < token.size()) {
    char c = token[i];
    if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
      ++i;
      if (i >= token.size()) throw IoFailure{kIllegalNumericCharacter};
      c = token[i];
    }
    bool exponent_negative = false;
    if (c == '+' || c == '-') {
      exponent_negative = c == '-';
      ++i;
    }
    if (i >= token.size()) throw IoFailure{kIllegalNumericCharacter};
    int64_t field = 0;
    for (; i < token.size(); ++i) {
      if (!is_digit(token[i])) throw IoFailure{kIllegalNumericCharacter};
      if (field < 100000) field = field * 10 + (token[i] - '0');
    }
    exponent += exponent_negative ? -field : field;
  }
  double value = static_cast<double>(mantissa);
  if (mantissa != 0 && exponent != 0) {
    const int32_t magnitude = static_cast<int32_t>(std::min<int64_t>(std::llabs(exponent), 100000));
    const double scale = dpow(10.0, magnitude);
    value = exponent < 0 ? value / scale : value * scale;
  }
  return negative ? -value : value;
}

void edit_input_character(RecordBuffer& record, char* address, size_t length, int32_t w) {
  const size_t width = w > 0 ? static_cast<size_t>(w) : length;
  std::string_view field = record.rest().substr(0, width);
  record.set_position(record.position() + field.size());
  if (w > 0 && static_cast<size_t>(w) > length) {
    // A wider field gives its rightmost characters.
    if (field.size() > length) field.remove_prefix(field.size() - length);
  }
  const size_t n = std::min(field.size(), length);
  if (n > 0) std::memcpy(address, field.data(), n);
  std::memset(address + n, ' ', length - n);
}

// Scans the next token of the statement. Tokens are taken from the record
// buffer; a record that runs out while blanks are skipped brings the next.
ListInput::Token ListInput::next_token(bool for_character) {
  token_.clear();
  quoted_ = false;
  for (;;) {
    // Skip blanks, reading further records as needed.
    for (;;) {
      std::string_view rest = record_->rest();
      size_t skip = 0;
      while (skip < rest.size() && is_blank(rest[skip])) ++skip;
      record_->set_position(record_->position() + skip);
      if (skip < rest.size()) break;
      reader_->next_record(*record_);
    }
    std::string_view rest = record_->rest();
    const char first = rest[0];
    if (first == '/') {
      record_->set_position(record_->position() + 1);
      return Token::kSlash;
    }
    if (first == ',') {
      record_->set_position(record_->position() + 1);
      if (ended_by_record_end_) {
        // This comma only closes the token that ended with its line.
        ended_by_record_end_ = false;
        continue;
      }
      return Token::kNull;
    }
    ended_by_record_end_ = false;
    break;
  }
  std::string_view rest = record_->rest();
  if (for_character && (rest[0] == '\'' || rest[0] == '"')) {
    const char quote = rest[0];
    quoted_ = true;
    record_->set_position(record_->position() + 1);
    for (;;) {
      rest = record_->rest();
      if (rest.empty()) {
        reader_->next_record(*record_);  // the string goes on on the next line
        continue;
      }
      const size_t at = rest.find(quote);
      if (at == std::string_view::npos) {
        token_.append(rest);
        record_->set_position(record_->length());
        continue;
      }
      token_.append(rest.substr(0, at));
      record_->set_position(record_->position() + at + 1);
      if (!record_->rest().empty() && record_->rest()[0] == quote) {
        token_.push_back(quote);
        record_->set_position(record_->position() + 1);
        continue;
      }
      break;
    }
    if (token_.empty()) token_.push_back(' ');
    finish_separator();
    return Token::kValue;
  }
  bool repeat_seen = false;
  for (;;) {
    rest = record_->rest();
    size_t n = 0;
    while (n < rest.size() && !is_blank(rest[n]) && rest[n] != ',' && rest[n] != '/' &&
           !(rest[n] == '*' && !repeat_seen)) {
      ++n;
    }
    token_.append(rest.substr(0, n));
    record_->set_position(record_->position() + n);
    if (n < rest.size() && rest[n] == '*' && !repeat_seen) {
      // r*value: the characters before the asterisk are the repeat count.
      if (token_.empty()) throw IoFailure{kIllegalRepeatCount};
      int64_t count = 0;
      for (const char c : token_) {
        if (!is_digit(c)) throw IoFailure{kIllegalRepeatCount};
        count = std::min<int64_t>(count * 10 + (c - '0'), int64_t{1} << 40);
      }
      if (count == 0) throw IoFailure{kIllegalRepeatCount};
      repeat_left_ = count - 1;
      repeat_seen = true;
      token_.clear();
      record_->set_position(record_->position() + 1);
      continue;
    }
    break;
  }
  const Token kind = token_.empty() ? Token::kNull : Token::kValue;
  finish_separator();
  repeated_kind_ = kind;
  if (!repeat_seen) repeat_left_ = 0;
  return kind;
}

// After a token: a comma ends it; blanks and one comma after them on the same
// line form one separator. Only a token that runs into the end of its record
// is remembered as ended by it; one ended by a blank is not, even when
// nothing but blanks follows on its line.
void ListInput::finish_separator() {
  std::string_view rest = record_->rest();
  if (rest.empty()) {
    ended_by_record_end_ = true;
    return;
  }
  if (rest[0] == ',') {
    record_->set_position(record_->position() + 1);
    return;
  }
  if (rest[0] == '/') return;
  size_t n = 0;
  while (n < rest.size() && is_blank(rest[n])) ++n;
  if (n < rest.size() && rest[n] == ',') ++n;
  record_->set_position(record_->position() + n);
}

// Returns the token for one item, or nullptr for a null value or after '/'.
const std::string* ListInput::token_for_item(bool for_character) {
  if (slash_seen_) return nullptr;
  if (repeat_left_ > 0) {
    --repeat_left_;
    return repeated_kind_ == Token::kValue ? &token_ : nullptr;
  }
  const Token kind = next_token(for_character);
  if (kind == Token::kSlash) {
    slash_seen_ = true;
    return nullptr;
  }
  repeated_kind_ = kind;
  return kind == Token::kValue ? &token_ : nullptr;
}

void ListInput::read_integer(void* address, int32_t bytes) {
  const std::string* token = token_for_item(false);
  if (token == nullptr) return;
  const int32_t value = convert_integer(*token);
  if (bytes == 1) {
    const auto v = static_cast<int8_t>(value);
    std::memcpy(address, &v, 1);
  } else if (bytes == 2) {
    const auto v = static_cast<int16_t>(value);
    std::memcpy(address, &v, 2);
  } else {
    std::memcpy(address, &value, 4);
  }
}

void ListInput::read_real(void* address, int32_t bytes) {
  const std::string* token = token_for_item(false);
  if (token == nullptr) return;
  const double value = convert_real(*token);
  if (bytes == 8) {
    std::memcpy(address, &value, 8);
  } else {
    const auto single = static_cast<float>(value);
    std::memcpy(address, &single, 4);
  }
}

void ListInput::read_logical(void* address, int32_t bytes) {
  const std::string* token = token_for_item(false);
  if (token == nullptr) return;
  std::string_view t = *token;
  if (!t.empty() && t[0] == '.') t.remove_prefix(1);
  int32_t value;
  if (!t.empty() && (t[0] == 'T' || t[0] == 't')) {
    value = 1;
  } else if (!t.empty() && (t[0] == 'F' || t[0] == 'f')) {
    value = 0;
  } else {
    throw IoFailure{kIllegalNumericCharacter};
  }
  std::memset(address, 0, static_cast<size_t>(bytes));
  std::memcpy(address, &value, static_cast<size_t>(std::min(bytes, 4)));
}

void ListInput::read_character(char* address, size_t length) {
  const std::string* token = token_for_item(true);
  if (token == nullptr) return;
  const size_t n = std::min(token->size(), length);
  std::memcpy(address, token->data(), n);
  std::memset(address + n, ' ', length - n);
}

}  // namespace textio
