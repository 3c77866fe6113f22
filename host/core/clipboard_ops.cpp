// Copy, Cut, Paste and Delete on the selection of the Input/Output window.
#include <algorithm>

#include "host/core/host.h"

namespace tova::host {

namespace {
// A paste feeds at most this many characters, as if typed.
constexpr size_t kPasteLimit = 1024;
}  // namespace

bool Host::copy() {
  if (!io_.selection()) return false;
  return platform_.set_clipboard_text(io_.selected_text());
}

bool Host::cut() {
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
  for (char character : characters) io_.on_char(static_cast<uint8_t>(character));
}

}  // namespace tova::host
