// The text of the Input/Output window: every line of the run, back to back.
//
// Lines are one-based here (store line i is window line i - 1). The texts sit
// in one byte area without separators; `line_start` holds each line's
// one-based position, so line i occupies line_start(i) .. line_start(i+1) - 1
// and line_start(line_count + 1) is the first free position. The store grows
// without limit: a long run keeps every line it wrote.
//
// Only the last line is edited by typing (`insert_blank`, `put_char`); the
// deletion of a selection may shorten any line (`delete_chars`).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tova::host {

struct LineSpan {
  size_t start;   // one-based position of the line's first byte
  size_t length;  // bytes in the line
};

class TextStore {
 public:
  TextStore();

  size_t line_count() const { return starts_.size() - 1; }
  // The largest line width reached so far; never decreases.
  size_t widest_line() const { return widest_line_; }
  void note_width(size_t width);

  // 1 <= line <= line_count() + 1.
  size_t line_start(size_t line) const { return starts_[line - 1]; }
  // 1 <= line <= line_count().
  LineSpan get_line(size_t line) const;
  std::string_view line_text(size_t line) const;
  // The last line's text; empty when there are no lines.
  std::string_view last_line() const;
  size_t last_length() const;

  // Adds an empty last line.
  void open_line();
  // Adds `text` as a new last line (open_line and the copy).
  void append_line(std::string_view text);
  // Adds `text` as a new line just before the last one; needs a last line.
  void insert_before_last(std::string_view text);
  // Adds `text` at the end of `line` (a record the program wrote in pieces).
  void append_to_line(size_t line, std::string_view text);
  // In the last line: columns column .. length - 1 move one right and column
  // becomes a blank. Needs a last line and column <= its length.
  void insert_blank(size_t column);
  // In the last line: column becomes `character`; at the line's length the
  // line grows by one.
  void put_char(size_t column, char character);
  // Removes `count` bytes of `line` from `column` on. Nothing happens when
  // that line and all after it are empty. Callers keep column + count within
  // the line.
  void delete_chars(size_t line, size_t column, size_t count);

  // The whole text area, for tests of the invariants.
  std::string_view text_area() const { return text_; }

 private:
  std::string text_;
  std::vector<size_t> starts_;  // starts_[i - 1] = line_start(i), one-based
  size_t widest_line_ = 0;
};

}  // namespace tova::host
