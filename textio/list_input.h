// Free-form (list-directed) input and the (A) edit descriptor on input.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "textio/record_buffer.h"

namespace textio {

// Supplies the next record of the unit being read, tabs expanded and CR LF
// taken off, into the record buffer (position 0). Throws IoFailure(10013)
// at end of file.
class RecordReader {
 public:
  virtual ~RecordReader() = default;
  virtual void next_record(RecordBuffer& record) = 0;
};

// The scanner state of one list-directed READ statement: the current token,
// its repeat counter and whether the last token ended with its record.
// Items whose token is null, or that follow a '/', keep their values.
class ListInput {
 public:
  ListInput(RecordBuffer& record, RecordReader& reader) : record_(&record), reader_(&reader) {}

  void read_integer(void* address, int32_t bytes);  // 1, 2 or 4 bytes
  void read_real(void* address, int32_t bytes);     // 4 or 8 bytes
  void read_logical(void* address, int32_t bytes);
  void read_character(char* address, size_t length);

 private:
  enum class Token { kValue, kNull, kSlash };
  Token next_token(bool for_character);
  void finish_separator();
  const std::string* token_for_item(bool for_character);

  RecordBuffer* record_;  // pointers: the statement context holding a scanner stays assignable
  RecordReader* reader_;
  std::string token_;
  bool quoted_ = false;
  int64_t repeat_left_ = 0;
  Token repeated_kind_ = Token::kValue;
  bool ended_by_record_end_ = false;
  bool slash_seen_ = false;
};

// Formatted character input with A (w == 0) or Aw into a variable of
// `length` bytes; pad mode is on, so a short record gives what remains.
void edit_input_character(RecordBuffer& record, char* address, size_t length, int32_t w);

// Conversions of one free-form token; bad characters throw IoFailure(10016).
int32_t convert_integer(std::string_view token);
double convert_real(std::string_view token);

}  // namespace textio
