// The format compiler: one pass over the text into the table.
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "textio/format_table.h"
#include "textio/io_api.h"
#include "textio/io_error.h"
#include "textio/report.h"

namespace textio {

namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

char upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// One pass over the text. Blanks outside literals mean nothing; commas are
// separators that may be left out (always around '/', and as an extension
// elsewhere), but a comma must follow something. Groups are kept on an
// explicit stack so that deep nesting costs no native stack.
class FormatCompiler {
 public:
  [[noreturn]] void fail(int32_t code) const { throw FormatError{code, pos_}; }
  explicit FormatCompiler(std::string_view text) : text_(text) {}

  FormatTable compile() {
    skip_blanks();
    if (at_end() || text_[pos_] != '(') fail(kFormatMissingParen);
    add({0, 0, 0, position(pos_), 0});
    ++pos_;
    for (;;) {
      skip_blanks();
      if (at_end()) fail(kFormatUnmatchedParens);
      const size_t start = pos_;
      const char c = upper(text_[pos_]);
      if (c == ',') {
        if (!after_item_) fail(kErrorInFormatString);
        after_item_ = false;
        comma_ = true;
        ++pos_;
        continue;
      }
      if (c == ')') {
        if (comma_) fail(kErrorInFormatString);
        ++pos_;
        if (groups_.empty()) {
          finish_format(start);
          return std::move(table_);
        }
        close_group(start);
        continue;
      }
      if (is_digit(c)) {
        const int32_t count = number(kIllegalRepeatCount);
        if (count == 0) fail(kIllegalRepeatCount);
        counted_descriptor(start, count);
      } else {
        descriptor(start, c);
      }
    }
  }

 private:
  struct OpenGroup {
    size_t entry;
    int32_t repeat;
  };

  bool at_end() const { return pos_ >= text_.size(); }
  int32_t position(size_t offset) const {
    return offset > static_cast<size_t>(std::numeric_limits<int32_t>::max())
               ? std::numeric_limits<int32_t>::max()
               : static_cast<int32_t>(offset);
  }
  void skip_blanks() {
    while (!at_end() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  }
  void add(const FormatEntry& entry) { table_.entries.push_back(entry); }
  void item_done() {
    after_item_ = true;
    comma_ = false;
  }

  // Digits (blanks among them ignored); `overflow_code` when too large.
  int32_t number(int32_t overflow_code) {
    int64_t value = 0;
    while (!at_end() && (is_digit(text_[pos_]) || text_[pos_] == ' ')) {
      if (text_[pos_] != ' ') {
        value = value * 10 + (text_[pos_] - '0');
        if (value > std::numeric_limits<int32_t>::max()) fail(overflow_code);
      }
      ++pos_;
    }
    return static_cast<int32_t>(value);
  }
  bool digit_follows() {
    skip_blanks();
    return !at_end() && is_digit(text_[pos_]);
  }
  int32_t required_number() {
    if (!digit_follows()) fail(kErrorInFormatString);
    return number(kErrorInFormatString);
  }
  bool take(char c) {
    skip_blanks();
    if (at_end() || upper(text_[pos_]) != c) return false;
    ++pos_;
    return true;
  }

  // A descriptor after a number: the number is a repeat count, or the count
  // of X, H or '/'.
  void counted_descriptor(size_t start, int32_t count) {
    skip_blanks();
    if (at_end()) fail(kFormatUnmatchedParens);
    const char c = upper(text_[pos_]);
    switch (c) {
      case 'X':
        ++pos_;
        add({kDescX, 0, count, position(start), 1});
        break;
      case '/':
        ++pos_;
        add({kDescSlash, 0, count, position(start), 1});
        break;
      case 'H':
        hollerith(start, count);
        break;
      case '(':
        open_group(start, count);
        return;
      case 'A':
      case 'E':
      case 'F':
      case 'I':
        ++pos_;
        data_descriptor(start, c, count);
        break;
      case '\'':
      case '"':
      case ',':
      case ')':
        fail(kNonRepeatableDescriptor);
      default:
        fail(kErrorInFormatString);
    }
    item_done();
  }

  void descriptor(size_t start, char c) {
    switch (c) {
      case 'X':
        ++pos_;
        add({kDescX, 0, 1, position(start), 1});
        break;
      case '/':
        ++pos_;
        add({kDescSlash, 0, 1, position(start), 1});
        break;
      case '\'':
      case '"':
        quoted_literal(start, c);
        break;
      case '(':
        open_group(start, 1);
        return;
      case 'A':
      case 'E':
      case 'F':
      case 'I':
        ++pos_;
        data_descriptor(start, c, 1);
        break;
      default:
        fail(kErrorInFormatString);
    }
    item_done();
  }

  void data_descriptor(size_t start, char letter, int32_t repeat) {
    const int32_t at = position(start);
    switch (letter) {
      case 'A': {
        int32_t w = 0;
        if (digit_follows()) {
          w = number(kErrorInFormatString);
          if (w == 0) fail(kErrorInFormatString);
        }
        add({kDescA, 0, w, at, repeat});
        return;
      }
      case 'I': {
        const int32_t w = required_number();
        int32_t m = 1;
        if (take('.')) m = required_number();
        add({kDescI, m, w, at, repeat});
        return;
      }
      case 'F': {
        const int32_t w = required_number();
        if (!take('.')) fail(kErrorInFormatString);
        const int32_t d = required_number();
        add({kDescF, d, w, at, repeat});
        return;
      }
      default: {  // 'E'
        const int32_t w = required_number();
        if (!take('.')) fail(kErrorInFormatString);
        const int32_t d = required_number();
        int32_t exponent_digits = 0;
        const size_t before = pos_;
        if (take('E')) {
          if (!digit_follows()) {
            pos_ = before;  // the next descriptor, written without a comma
          } else {
            exponent_digits = number(kErrorInFormatString);
            if (exponent_digits < 1 || exponent_digits > 63) fail(kErrorInFormatString);
          }
        }
        add({kDescE | (exponent_digits << 10), d, w, at, repeat});
        return;
      }
    }
  }

  void hollerith(size_t start, int32_t count) {
    ++pos_;  // the H; the count covers blanks too
    if (static_cast<size_t>(count) > text_.size() - pos_) fail(kHollerithCountExceeds);
    literal(start, text_.substr(pos_, static_cast<size_t>(count)));
    pos_ += static_cast<size_t>(count);
  }

  void quoted_literal(size_t start, char quote) {
    std::string text;
    ++pos_;
    for (;;) {
      if (at_end()) fail(kFormatUnmatchedQuotes);
      const char c = text_[pos_++];
      if (c == quote) {
        if (at_end() || text_[pos_] != quote) break;
        ++pos_;  // a doubled quote stands for one
      }
      text.push_back(c);
    }
    literal(start, text);
  }

  void literal(size_t start, std::string_view text) {
    const int32_t length = static_cast<int32_t>(text.size());
    add({kDescLiteral, 0, length, position(start), 1});
    for (size_t offset = 0; offset < text.size(); offset += kTextPerEntry) {
      FormatEntry chunk{};
      std::memcpy(chunk.data(), text.data() + offset,
                  std::min<size_t>(kTextPerEntry, text.size() - offset));
      add(chunk);
    }
  }

  void open_group(size_t start, int32_t repeat) {
    ++pos_;
    groups_.push_back({table_.entries.size(), repeat});
    add({kDescGroupOpen, 0, 0, position(start), repeat});
    after_item_ = false;
    comma_ = false;
  }

  // A group holding one descriptor becomes that descriptor, its repeat
  // count multiplied by the group's.
  void close_group(size_t start) {
    const OpenGroup group = groups_.back();
    groups_.pop_back();
    auto& entries = table_.entries;
    const size_t inner = group.entry + 1;
    if (inner == entries.size()) {
      // An empty group does nothing however often it repeats: drop it, so
      // that no walk spins through its repeats.
      entries.pop_back();
      if (groups_.empty()) reversion_ = group.entry;
      item_done();
      return;
    }
    const bool single = inner < entries.size() && code_of(entries[inner]) != kDescGroupOpen &&
                        span_of(entries[inner]) == entries.size() - inner;
    if (single) {
      const int64_t repeat = int64_t{group.repeat} * entries[inner][4];
      if (repeat > std::numeric_limits<int32_t>::max()) fail(kIllegalRepeatCount);
      entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(group.entry));
      entries[group.entry][4] = static_cast<int32_t>(repeat);
    } else {
      add({kDescGroupClose, 0, 0, position(start), 0});
    }
    if (groups_.empty()) reversion_ = group.entry;
    item_done();
  }

  // Reversion resumes at the rightmost outermost inner group, or at the
  // first descriptor when there is none.
  void finish_format(size_t start) {
    const size_t end = table_.entries.size();
    add({kDescEnd, 0, 0, position(start), -static_cast<int32_t>(end - reversion_)});
    skip_blanks();
    if (!at_end()) fail(text_[pos_] == ')' ? kFormatUnmatchedParens : kErrorInFormatString);
  }

  std::string_view text_;
  size_t pos_ = 0;
  bool after_item_ = false;  // a comma may follow
  bool comma_ = false;       // the last thing seen was a comma
  size_t reversion_ = 1;
  std::vector<OpenGroup> groups_;
  FormatTable table_;
};

}  // namespace

FormatTable compile_format_or_throw(std::string_view text) {
  return FormatCompiler(text).compile();
}

FormatTable compile_format(std::string_view text) {
  try {
    return compile_format_or_throw(text);
  } catch (const FormatError& error) {
    // Formats are compiled once, before any statement uses them, often as
    // statics: the report cannot wait for a statement to take it.
    fatal_report("FORTRAN Runtime Error:", runtime_message(error.code), false,
                 "in format " + std::string(text) + ", offset " + std::to_string(error.offset));
  } catch (const std::bad_alloc&) {
    allocation_failed();
  }
}

std::string_view literal_text(const FormatTable& table, size_t index) {
  const std::string_view none("", 0);  // empty, but never a null pointer
  if (index >= table.entries.size() || code_of(table.entries[index]) != kDescLiteral) return none;
  const size_t length = static_cast<size_t>(table.entries[index][2]);
  if (length == 0 || index + span_of(table.entries[index]) > table.entries.size()) return none;
  return {reinterpret_cast<const char*>(table.entries[index + 1].data()), length};
}

}  // namespace textio
