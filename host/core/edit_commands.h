// The Edit menu on the Input/Output window's selection: Cut, Copy, Paste,
// Delete and Select All, and the Paste item's state.
//
// The clipboard calls dispatch no messages; a paste types its characters
// one by one, and a read waiting for Enter is released only at the next
// pump, after the whole paste.
#pragma once

#include <cstdint>

#include "host/core/io_window.h"
#include "host/core/platform.h"

namespace tova::host {

class EditCommands {
 public:
  EditCommands(Platform& platform, IoWindow& io);

  // Carries out an Edit command; false for any other command.
  bool on_command(int32_t command);
  // A menu is about to open: Paste follows the clipboard.
  void on_menu_opening();

  // True when the selection reached the clipboard.
  bool copy();
  // One line's characters only: lines are never joined.
  bool cut();
  void paste();

 private:
  Platform& platform_;
  IoWindow& io_;
};

}  // namespace tova::host
