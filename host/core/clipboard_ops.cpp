// Copy, Cut, Paste and Delete on the selection of the Input/Output window.
#include <algorithm>

#include "host/core/host.h"

namespace tova::host {

namespace {
// A paste feeds at most this many characters, as if typed.
constexpr size_t kPasteLimit = 1024;
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

bool Host::copy() {
  if (!io_.selection()) return false;
  return platform_.set_clipboard_text(io_.selected_text());
}

bool Host::cut() {
  // Cut takes one line's characters; lines are never joined.
  if (io_.selection() && !io_.selection()->one_line()) return false;
  bool copied = copy();
  if (copied) io_.delete_selection();
  return copied;
}

void Host::delete_selection() {
  io_.delete_selection();
}

void Host::paste() {
  std::optional<std::string> text = platform_.get_clipboard_text();
  if (!text) return;
  std::string_view characters(*text);
  characters = characters.substr(0, std::min(characters.find('\0'), kPasteLimit));
  // A waiting read is released only when the pump looks again, after the
  // whole paste: it takes the store's last line as it is then.
  for (uint8_t code : paste_keys(characters)) io_.on_char(code);
}

}  // namespace tova::host
