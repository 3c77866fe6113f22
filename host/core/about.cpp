#include "host/core/about.h"

namespace tova::host {

std::string format_hex8(uint32_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(8, '0');
  for (int i = 7; i >= 0; --i, value >>= 4) text[static_cast<size_t>(i)] = kDigits[value & 0xF];
  return text;
}

std::string format_unsigned(uint64_t value) {
  std::string text;
  do {
    text.insert(text.begin(), static_cast<char>('0' + value % 10));
    value /= 10;
  } while (value != 0);
  return text;
}

std::array<AboutField, 5> about_fields(const SystemInfo& info) {
  // The box shows addresses as 32-bit values.
  return {{
      {102, format_unsigned(info.page_size)},
      {103, "0x" + format_hex8(static_cast<uint32_t>(info.lowest_address))},
      {104, "0x" + format_hex8(static_cast<uint32_t>(info.highest_address))},
      {105, format_unsigned(info.processor_type)},
      {106, format_unsigned(info.processor_count)},
  }};
}

}  // namespace tova::host
