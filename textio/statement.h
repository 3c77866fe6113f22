// The typed surface the analysis program uses for its statements. Each
// object is one READ or WRITE: the constructor is the begin call, each
// item call passes one variable, the destructor is the end call. Nothing
// here bypasses the protocol of io_api.h, so the hooks are called exactly
// when a plain begin/items/end sequence would call them (a list-directed
// real item skips only the generic item dispatch, never a hook).
//
//   textio::WriteStatement(textio::kConsole, &format_301).integer(i).real(x);
//   float v;  textio::ReadStatement(textio::unit(1)).real(v);
#pragma once

#include <cstdint>
#include <string_view>

#include "textio/io_api.h"

namespace textio {

// A unit as a statement names it: the default unit `*` or a number.
struct UnitSpec {
  bool is_default;
  int32_t number;
};
inline constexpr UnitSpec kConsole{true, -1};
constexpr UnitSpec unit(int32_t number) {
  return {false, number};
}

class WriteStatement {
 public:
  explicit WriteStatement(UnitSpec unit, const FormatTable* format = nullptr);
  ~WriteStatement();
  WriteStatement(const WriteStatement&) = delete;
  WriteStatement& operator=(const WriteStatement&) = delete;

  WriteStatement& integer(int32_t value);
  WriteStatement& real(float value);
  WriteStatement& character(std::string_view text);
  // List-directed items already converted by list_real_text, back to back:
  // the record gets the bytes real() would give them one by one, and passes
  // them on to the unit as they come (a record with carriage control stays
  // whole until its end, as it does item by item).
  WriteStatement& list_items(std::string_view text);

 private:
  int32_t unit_number_;
};

class ReadStatement {
 public:
  explicit ReadStatement(UnitSpec unit, const FormatTable* format = nullptr);
  ~ReadStatement();
  ReadStatement(const ReadStatement&) = delete;
  ReadStatement& operator=(const ReadStatement&) = delete;

  ReadStatement& integer(int32_t& value);
  ReadStatement& real(float& value);
  ReadStatement& character(char* text, size_t length);

 private:
  int32_t unit_number_;
};

}  // namespace textio
