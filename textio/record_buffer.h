// The record being written or read: bytes, the current position and the
// record length, which is the highest position ever written.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <utility>

namespace textio {

class RecordBuffer {
 public:
  RecordBuffer() : bytes_(allocate(1024)), capacity_(1024) {}
  RecordBuffer(const RecordBuffer& other)
      : bytes_(allocate(other.capacity_)),
        capacity_(other.capacity_),
        position_(other.position_),
        length_(other.length_) {
    if (length_ > 0) std::memcpy(bytes_.get(), other.bytes_.get(), length_);
  }
  RecordBuffer& operator=(const RecordBuffer& other) {
    if (this != &other) *this = RecordBuffer(other);
    return *this;
  }
  RecordBuffer(RecordBuffer&& other) noexcept
      : bytes_(std::move(other.bytes_)),
        capacity_(std::exchange(other.capacity_, 0)),
        position_(std::exchange(other.position_, 0)),
        length_(std::exchange(other.length_, 0)) {}
  RecordBuffer& operator=(RecordBuffer&& other) noexcept {
    bytes_ = std::move(other.bytes_);
    capacity_ = std::exchange(other.capacity_, 0);
    position_ = std::exchange(other.position_, 0);
    length_ = std::exchange(other.length_, 0);
    return *this;
  }

  // Writes `text` at the current position and advances; a gap left by a
  // move to the right is filled with blanks first.
  void put(std::string_view text) {
    const size_t end = position_ + text.size();
    if (end > capacity_) grow(end);
    if (position_ > length_) std::memset(bytes_.get() + length_, ' ', position_ - length_);
    if (!text.empty()) std::memcpy(bytes_.get() + position_, text.data(), text.size());
    position_ = end;
    if (end > length_) length_ = end;
  }
  void put(char c) { put(std::string_view(&c, 1)); }
  // Writes `count` copies of `c`.
  void fill(char c, size_t count) {
    const size_t end = position_ + count;
    if (end > capacity_) grow(end);
    if (position_ > length_) std::memset(bytes_.get() + length_, ' ', position_ - length_);
    std::memset(bytes_.get() + position_, c, count);
    position_ = end;
    if (end > length_) length_ = end;
  }
  // Writes the first `used` bytes of `block`, which holds N bytes: when
  // nothing of the record lies after the position (always so on output) all
  // N are copied in one fixed-size move, the bytes past `used` being beyond
  // the record's end.
  template <size_t N>
  void put_block(const char (&block)[N], size_t used) {
    if (used == 0) return;
    if (position_ < length_ || position_ + N > capacity_) {
      put(std::string_view(block, used));
      return;
    }
    if (position_ > length_) std::memset(bytes_.get() + length_, ' ', position_ - length_);
    std::memcpy(bytes_.get() + position_, block, N);
    position_ += used;
    length_ = position_;
  }
  // Direct writing at the end of the record: room for `count` bytes at the
  // position, or nullptr when record bytes lie after the position (never so
  // on output). Bytes past what `advance` takes are not part of the record.
  char* end_room(size_t count) {
    if (position_ < length_) return nullptr;
    if (position_ + count > capacity_) grow(position_ + count);
    if (position_ > length_) std::memset(bytes_.get() + length_, ' ', position_ - length_);
    return bytes_.get() + position_;
  }
  void advance(size_t used) {
    if (used == 0) return;
    position_ += used;
    length_ = position_;
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
  const char* data() const { return bytes_.get(); }
  std::string_view text() const { return {bytes_.get(), length_}; }
  // What is left to read from the current position.
  std::string_view rest() const {
    return position_ < length_ ? std::string_view(bytes_.get() + position_, length_ - position_)
                               : std::string_view();
  }
  void clear() { position_ = length_ = 0; }

 private:
  // Geometric growth: one record of tens of megabytes costs linear time.
  void grow(size_t needed) {
    size_t capacity = capacity_ < 1024 ? 1024 : capacity_;
    while (capacity < needed) capacity *= 2;
    // realloc: a large block is moved by remapping its pages, neither
    // copied nor touched again.
    char* const bytes = static_cast<char*>(std::realloc(bytes_.get(), capacity));
    if (bytes == nullptr) throw std::bad_alloc();
    static_cast<void>(bytes_.release());
    bytes_.reset(bytes);
    capacity_ = capacity;
  }

  struct Free {
    void operator()(char* bytes) const { std::free(bytes); }
  };
  static char* allocate(size_t capacity) {
    char* const bytes = static_cast<char*>(std::malloc(capacity == 0 ? 1 : capacity));
    if (bytes == nullptr) throw std::bad_alloc();
    return bytes;
  }

  std::unique_ptr<char, Free> bytes_;
  size_t capacity_;
  size_t position_ = 0;
  size_t length_ = 0;
};

}  // namespace textio
