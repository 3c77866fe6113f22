// The close sequence of the frame (its close box, Exit, the system menu):
// the exit prompt while the text is unsaved, then the frame's destruction.
#pragma once

#include <cstdint>

#include "host/core/host_state.h"
#include "host/core/platform.h"
#include "host/core/save_command.h"

namespace tova::host {

// How one close request ended.
enum class CloseOutcome : uint8_t {
  destroy_by_default,  // the close sequence had begun: default processing destroys the frame
  cancelled,           // the user cancelled at the exit prompt; nothing changed
  ended_run,           // the program was still running: the run is to end (status 0)
  finished_run,        // the program had ended: the quit message ends its `finish`
};

class CloseSequence {
 public:
  CloseSequence(Platform& platform, const HostState& state, SaveCommand& save);

  // One close request. Once the sequence has begun, the frame is destroyed
  // (`destroy_frame`) and the caller ends the run when the outcome says so.
  CloseOutcome request(bool program_finished);
  // "Save the Input/Output window?": true when closing may go on.
  bool exit_prompt();
  bool closing() const { return closing_; }

 private:
  Platform& platform_;
  const HostState& state_;
  SaveCommand& save_;
  bool closing_ = false;  // a further close destroys the frame
};

}  // namespace tova::host
