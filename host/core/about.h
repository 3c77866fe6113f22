// The values the About box shows.
#pragma once

#include <cstdint>
#include <string>

namespace tova::host {

// The value as an unsigned 32-bit number in eight lower-case hexadecimal
// digits, zero-filled: 65536 gives "00010000".
std::string format_hex8(uint32_t value);
// Unsigned decimal, as the dialog shows counts and codes.
std::string format_unsigned(uint64_t value);

}  // namespace tova::host
