// Saving the text and the question asked before the window closes.
#include "host/core/save_format.h"

#include "host/core/host.h"

namespace tova::host {

std::string text_file_line(std::string_view line) {
  std::string bytes(line);
  bytes += "\r\n";
  return bytes;
}

std::string text_file_bytes(const TextStore& store) {
  std::string bytes;
  bytes.reserve(store.text_area().size() + 2 * store.line_count());
  for (size_t line = 1; line <= store.line_count(); ++line)
    bytes += text_file_line(store.line_text(line));
  return bytes;
}

bool Host::choose_save_file() {
  std::optional<SaveChoice> choice = platform_.choose_save_file(state_.save_name);
  if (!choice) return false;
  state_.save_name = choice->path;
  state_.save_title = choice->title;
  return true;
}

bool Host::write_text_file() {
  Handle file = platform_.create_file(state_.save_name);
  if (file == kNoHandle) {
    platform_.message_box(Window::none, "Cannot create file", MessageButtons::ok);
    return false;
  }
  bool complete = true;
  for (size_t line = 1; line <= store_.line_count(); ++line) {
    if (!platform_.write_file(file, text_file_line(store_.line_text(line)))) {
      platform_.message_box(Window::none, "I/O error while writing file", MessageButtons::ok);
      complete = false;
      break;
    }
  }
  platform_.close_file(file);
  // A file cut short does not hold the text: closing must still ask.
  if (complete) state_.saved = true;
  return complete;
}

void Host::save() {
  if (state_.save_name.empty()) {
    if (!choose_save_file()) return;
    platform_.set_window_title(Window::io, state_.save_title);
  }
  write_text_file();
}

void Host::save_as() {
  if (!choose_save_file()) return;
  platform_.set_window_title(Window::io, state_.save_title);
  write_text_file();
}

bool Host::exit_prompt() {
  switch (platform_.message_box(Window::frame, "Save the Input/Output window?",
                                MessageButtons::yes_no_cancel)) {
    case Answer::yes:
      // Closing goes on only when the text reached a file: a cancelled save
      // dialog or a failed write keeps the window and the program.
      if (state_.save_name.empty() && !choose_save_file()) return false;
      return write_text_file();
    case Answer::no:
      return true;
    case Answer::cancel:
    case Answer::ok:
      break;
  }
  return false;
}

}  // namespace tova::host
