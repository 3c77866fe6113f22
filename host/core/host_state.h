// Whether the Input/Output window's text is in a file: the window clears it
// on every change, the save command sets it, the close sequence reads it.
#pragma once

namespace tova::host {

struct HostState {
  // The text has been written to a file since it last changed.
  bool saved = false;
};

}  // namespace tova::host
