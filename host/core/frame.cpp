// The frame window's commands, timer ticks and close sequence.
#include "host/core/host.h"

namespace tova::host {

std::string frame_title(std::string_view program_path) {
  size_t slash = program_path.find_last_of('\\');
  return std::string(slash == std::string_view::npos ? program_path
                                                     : program_path.substr(slash + 1));
}

FrameAction Host::on_command(int32_t command) {
  switch (command) {
    // File commands end here.
    case kCmdSave:
      save();
      return FrameAction::done;
    case kCmdSaveAs:
      save_as();
      return FrameAction::done;
    case kCmdPrint:
      print_text();
      return FrameAction::done;
    case kCmdAbout:
      platform_.about_box();
      return FrameAction::done;
    case kCmdExit:
      on_close();
      return FrameAction::done;
    // The others go on to default processing after their action.
    case kCmdCut:
      if (cut()) platform_.enable_menu_item(kCmdPaste, true);
      break;
    case kCmdCopy:
      if (copy()) platform_.enable_menu_item(kCmdPaste, true);
      break;
    case kCmdPaste:
      paste();
      break;
    case kCmdDelete:
      delete_selection();
      break;
    case kCmdSelectAll:
      io_.select_all();
      break;
    default:
      // Undo, the Window commands and the child list have no handler here.
      services_.on_user_command(command);
      break;
  }
  return FrameAction::default_processing;
}

void Host::on_menu_opening() {
  platform_.enable_menu_item(kCmdPaste, platform_.clipboard_has_text());
}

bool Host::on_timer(uint64_t parameter) {
  return services_.on_timer(static_cast<int32_t>(parameter & 0xFFFF));
}

CloseOutcome Host::on_close() {
  if (state_.closing) return CloseOutcome::destroy_by_default;
  // The prompt's box and the save dialog pump messages: a second close may
  // arrive meanwhile and finds `closing` still false, so it asks again.
  if (!state_.saved && !exit_prompt()) return CloseOutcome::cancelled;
  state_.closing = true;
  platform_.destroy_frame();
  if (!state_.program_finished) {
    // Inside a console statement of the program, which never resumes: the
    // run-time closes every unit and ends the process with status 0.
    phase_ = Phase::ended;
    platform_.end_run();
    return CloseOutcome::ended_run;
  }
  // The `finish` hook's pump receives the quit message and returns; the
  // run-time ends the process with the program's own status.
  return CloseOutcome::finished_run;
}

}  // namespace tova::host
