#include "host/core/close_sequence.h"

namespace tova::host {

CloseSequence::CloseSequence(Platform& platform, const HostState& state, SaveCommand& save)
    : platform_(platform), state_(state), save_(save) {}

CloseOutcome CloseSequence::request(bool program_finished) {
  if (closing_) return CloseOutcome::destroy_by_default;
  // The prompt's box and the save dialog pump messages: a second close may
  // arrive meanwhile and finds `closing_` still false, so it asks again.
  if (!state_.saved && !exit_prompt()) return CloseOutcome::cancelled;
  closing_ = true;
  platform_.destroy_frame();
  return program_finished ? CloseOutcome::finished_run : CloseOutcome::ended_run;
}

bool CloseSequence::exit_prompt() {
  switch (platform_.message_box(Window::frame, "Save the Input/Output window?",
                                MessageButtons::yes_no_cancel)) {
    case Answer::yes:
      // Closing goes on only when the text reached a file: a cancelled save
      // dialog or a failed write keeps the window and the program.
      return save_.save_before_close();
    case Answer::no:
      return true;
    case Answer::cancel:
    case Answer::ok:
      break;
  }
  return false;
}

}  // namespace tova::host
