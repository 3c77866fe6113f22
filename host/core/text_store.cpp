#include "host/core/text_store.h"

#include <algorithm>
#include <cassert>

namespace tova::host {

TextStore::TextStore() : starts_{1} {}

void TextStore::note_width(size_t width) {
  widest_line_ = std::max(widest_line_, width);
}

LineSpan TextStore::get_line(size_t line) const {
  assert(line >= 1 && line <= line_count());
  return {starts_[line - 1], starts_[line] - starts_[line - 1]};
}

std::string_view TextStore::line_text(size_t line) const {
  LineSpan span = get_line(line);
  return std::string_view(text_).substr(span.start - 1, span.length);
}

std::string_view TextStore::last_line() const {
  return line_count() == 0 ? std::string_view() : line_text(line_count());
}

size_t TextStore::last_length() const {
  return last_line().size();
}

void TextStore::open_line() {
  starts_.push_back(starts_.back());
}

void TextStore::append_line(std::string_view text) {
  open_line();
  text_.append(text);
  starts_.back() += text.size();
}

void TextStore::insert_before_last(std::string_view text) {
  assert(line_count() >= 1);
  size_t at = starts_[line_count() - 1];  // the last line's start
  text_.insert(at - 1, text);
  // The last line moves down by one entry and right by the new text.
  starts_.push_back(starts_.back() + text.size());
  starts_[line_count() - 1] = at + text.size();
}

void TextStore::append_to_line(size_t line, std::string_view text) {
  assert(line >= 1 && line <= line_count());
  text_.insert(starts_[line] - 1, text);
  for (size_t i = line; i < starts_.size(); ++i) starts_[i] += text.size();
}

void TextStore::insert_blank(size_t column) {
  assert(line_count() >= 1 && column <= last_length());
  text_.insert(line_start(line_count()) - 1 + column, 1, ' ');
  starts_.back() += 1;
}

void TextStore::put_char(size_t column, char character) {
  assert(line_count() >= 1 && column <= last_length());
  size_t at = line_start(line_count()) - 1 + column;
  if (column == last_length()) {
    text_.insert(at, 1, character);
    starts_.back() += 1;
  } else {
    text_[at] = character;
  }
}

void TextStore::delete_chars(size_t line, size_t column, size_t count) {
  assert(line >= 1 && line <= line_count());
  if (starts_[line - 1] == starts_.back()) return;  // this line and all after it are empty
  LineSpan span = get_line(line);
  assert(column + count <= span.length);
  text_.erase(span.start - 1 + column, count);
  for (size_t i = line; i < starts_.size(); ++i) starts_[i] -= count;
}

}  // namespace tova::host
