#include "host/core/paste_keys.h"

#include <cstdint>

namespace tova::host {

namespace {
constexpr uint8_t kEnterKey = 13;
}  // namespace

std::string paste_keys(std::string_view text) {
  std::string keys;
  for (size_t i = 0; i < text.size(); ++i) {
    uint8_t code = static_cast<uint8_t>(text[i]);
    if (code == '\r' || code == '\n') {
      // CR LF, LF and CR each end one line, whatever the source's habit.
      if (code == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      keys += static_cast<char>(kEnterKey);
    } else if (code == '\t' || (code >= 32 && code != 127)) {
      keys += static_cast<char>(code);
    }
  }
  return keys;
}

}  // namespace tova::host
