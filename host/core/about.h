// The values the About box shows.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "host/core/platform.h"

namespace tova::host {

struct AboutField {
  int32_t control;  // dialog control ID
  std::string text;
};

// The value as an unsigned 32-bit number in eight lower-case hexadecimal
// digits, zero-filled: 65536 gives "00010000".
std::string format_hex8(uint32_t value);
// Unsigned decimal, as the dialog shows counts and codes.
std::string format_unsigned(uint64_t value);
// The box's fields for this system.
std::array<AboutField, 5> about_fields(const SystemInfo& info);

}  // namespace tova::host
