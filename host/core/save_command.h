// Save and Save As: the file the text was last saved to, the save dialog
// and the writing of the file.
//
// The save dialog and the message boxes pump messages: the frame's handlers
// may run inside `choose_file` and `write_file`, and see the name and the
// `saved` flag as they were before the call.
#pragma once

#include <string>

#include "host/core/host_state.h"
#include "host/core/platform.h"
#include "host/core/text_store.h"

namespace tova::host {

class SaveCommand {
 public:
  SaveCommand(Platform& platform, const TextStore& store, HostState& state);

  // The Save command: asks for a name only the first time.
  void save();
  // The Save As command: always asks, starting with the last name.
  void save_as();
  // Yes at the exit prompt: true only when the text reached a file.
  bool save_before_close();

  // The save dialog; false when it was cancelled (nothing changes then).
  bool choose_file();
  // Writes the store to `name()`; true when every byte was written.
  bool write_file();

  const std::string& name() const { return name_; }  // empty until the first save
  // The Input/Output window's title: the saved file's name part, if any.
  std::string window_title() const;

 private:
  Platform& platform_;
  const TextStore& store_;
  HostState& state_;
  std::string name_;   // last save path
  std::string title_;  // its file-name part, as the dialog gave it
};

}  // namespace tova::host
