// OPEN and CLOSE: their specifiers checked, the connection made or ended.
#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <string>

#include "textio/console_hooks.h"
#include "textio/protocol.h"

namespace textio {

int32_t open_unit(int32_t unit, std::string_view file, const OpenSpecifiers& specifiers) {
  console_hooks().poll();
  IoContext& c = context();
  IoStatement statement{&unit, specifiers.handler_flags, specifiers.iostat, nullptr};
  begin_statement(c, statement, kOpen);
  const size_t first = file.find_first_not_of(' ');
  const size_t last = file.find_last_not_of(' ');
  const std::string name = first == std::string_view::npos
                               ? std::string()
                               : std::string(file.substr(first, last - first + 1));
  const int32_t result = guarded(c, [&c, &name, &specifiers, unit] {
    auto one_of = [](std::string_view value, std::initializer_list<std::string_view> allowed,
                     int32_t code) {
      if (value.empty()) return;
      for (const std::string_view a : allowed) {
        if (value.size() == a.size() &&
            std::equal(value.begin(), value.end(), a.begin(), [](char x, char y) {
              return std::toupper(static_cast<unsigned char>(x)) == y;
            })) {
          return;
        }
      }
      throw IoFailure{code};
    };
    const OpenSpecifiers& spec = specifiers;
    one_of(spec.status, {"NEW", "OLD", "SCRATCH", "UNKNOWN", "REPLACE"}, kBadIolistSpecifier);
    one_of(spec.access, {"SEQUENTIAL"}, kBadIolistSpecifier);
    one_of(spec.form, {"FORMATTED"}, kBadIolistSpecifier);
    one_of(spec.position, {"ASIS", "REWIND"}, kBadIolistSpecifier);
    one_of(spec.action, {"READ", "WRITE", "READWRITE"}, kBadIolistSpecifier);
    one_of(spec.delim, {"APOSTROPHE", "QUOTE", "NONE"}, kIllegalDelim);
    one_of(spec.pad, {"YES", "NO"}, kIllegalPad);
    one_of(spec.carriage_control, {"LIST", "FORTRAN"}, kBadIolistSpecifier);
    c.unit = nullptr;
    if (unit < 0) throw IoFailure{kNegativeUnit};
    if (name.empty()) throw IoFailure{kBadFileName};
    auto upper = [](std::string_view v) {
      std::string s(v);
      for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      return s;
    };
    const bool fortran_cc = upper(spec.carriage_control) == "FORTRAN";
    const bool scratch = upper(spec.status) == "SCRATCH";
    const bool read_only = upper(spec.action) == "READ";
    const std::string status = upper(spec.status);
    const OpenStatus open_status = status == "OLD"       ? OpenStatus::kOld
                                   : status == "REPLACE" ? OpenStatus::kReplace
                                                         : OpenStatus::kUnknown;
    open_connection(unit, name, fortran_cc, false, scratch, read_only, open_status);
    Unit* opened = find_unit(unit);
    const std::string delim = upper(spec.delim);
    opened->delimiter = delim == "APOSTROPHE" ? '\'' : delim == "QUOTE" ? '"' : 0;
    opened->pad = upper(spec.pad) != "NO";
    if (read_only) opened->writable = false;
  });
  c.active = false;
  return result;
}

int32_t close_unit(int32_t unit, std::string_view status, int32_t* iostat) {
  console_hooks().poll();
  IoContext& c = context();
  IoStatement statement{&unit, 0, iostat, nullptr};
  begin_statement(c, statement, kClose);
  std::string s(status);
  for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  const int32_t result = guarded(c, [&s, unit] {
    if (!s.empty() && s != "KEEP" && s != "DELETE") throw IoFailure{kBadIolistSpecifier};
    if (unit < 0) throw IoFailure{kNegativeUnit};
    close_connection(unit, s == "DELETE");
  });
  c.active = false;
  return result;
}

bool unit_is_file(int32_t unit, std::string_view name) {
  return connected_to_file(unit, std::string(name));
}

}  // namespace textio
