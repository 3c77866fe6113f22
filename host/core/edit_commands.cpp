#include "host/core/edit_commands.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "host/core/commands.h"
#include "host/core/paste_keys.h"

namespace tova::host {

namespace {
// A paste feeds at most this many characters, as if typed.
constexpr size_t kPasteLimit = 1024;
}  // namespace

EditCommands::EditCommands(Platform& platform, IoWindow& io) : platform_(platform), io_(io) {}

bool EditCommands::on_command(int32_t command) {
  switch (command) {
    case kCmdCut:
      if (cut()) platform_.enable_menu_item(kCmdPaste, true);
      return true;
    case kCmdCopy:
      if (copy()) platform_.enable_menu_item(kCmdPaste, true);
      return true;
    case kCmdPaste:
      paste();
      return true;
    case kCmdDelete:
      io_.delete_selection();
      return true;
    case kCmdSelectAll:
      io_.select_all();
      return true;
    default:
      return false;
  }
}

void EditCommands::on_menu_opening() {
  platform_.enable_menu_item(kCmdPaste, platform_.clipboard_has_text());
}

bool EditCommands::copy() {
  if (!io_.selection()) return false;
  return platform_.set_clipboard_text(io_.selected_text());
}

bool EditCommands::cut() {
  if (io_.selection() && !io_.selection()->one_line()) return false;
  bool copied = copy();
  if (copied) io_.delete_selection();
  return copied;
}

void EditCommands::paste() {
  std::optional<std::string> text = platform_.get_clipboard_text();
  if (!text) return;
  std::string_view characters(*text);
  characters = characters.substr(0, std::min(characters.find('\0'), kPasteLimit));
  for (uint8_t code : paste_keys(characters)) io_.on_char(code);
}

}  // namespace tova::host
