// The record being written or read: bytes, the current position and the
// record length, which is the highest position ever written.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>
#include <vector>

namespace textio {

class RecordBuffer {
 public:
  RecordBuffer() { bytes_.resize(1024); }

  // Writes `text` at the current position and advances; a gap left by a
  // move to the right is filled with blanks first.
  void put(std::string_view text) {
    const size_t end = position_ + text.size();
    if (end > bytes_.size()) grow(end);
    if (position_ > length_) std::memset(bytes_.data() + length_, ' ', position_ - length_);
    if (!text.empty()) std::memcpy(bytes_.data() + position_, text.data(), text.size());
    position_ = end;
    if (end > length_) length_ = end;
  }
  void put(char c) { put(std::string_view(&c, 1)); }
  // Writes `count` copies of `c`.
  void fill(char c, size_t count) {
    const size_t end = position_ + count;
    if (end > bytes_.size()) grow(end);
    if (position_ > length_) std::memset(bytes_.data() + length_, ' ', position_ - length_);
    std::memset(bytes_.data() + position_, c, count);
    position_ = end;
    if (end > length_) length_ = end;
  }
  // Moves right without lengthening the record until something is written.
  void move_right(size_t count) { position_ += count; }

  // Input side: the record read holds `length()` bytes from position 0.
  void assign(std::string_view text) {
    clear();
    put(text);
    position_ = 0;
  }

  size_t position() const { return position_; }
  void set_position(size_t position) { position_ = position; }
  size_t length() const { return length_; }
  const char* data() const { return bytes_.data(); }
  std::string_view text() const { return {bytes_.data(), length_}; }
  // What is left to read from the current position.
  std::string_view rest() const {
    return position_ < length_ ? std::string_view(bytes_.data() + position_, length_ - position_)
                               : std::string_view();
  }
  void clear() { position_ = length_ = 0; }

 private:
  // Geometric growth: one record of tens of megabytes costs linear time.
  void grow(size_t needed) {
    size_t capacity = bytes_.size() < 1024 ? 1024 : bytes_.size();
    while (capacity < needed) capacity *= 2;
    bytes_.resize(capacity);
  }

  std::vector<char> bytes_;
  size_t position_ = 0;
  size_t length_ = 0;
};

}  // namespace textio
