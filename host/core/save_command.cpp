#include "host/core/save_command.h"

#include "host/core/save_format.h"

namespace tova::host {

SaveCommand::SaveCommand(Platform& platform, const TextStore& store, HostState& state)
    : platform_(platform), store_(store), state_(state) {}

std::string SaveCommand::window_title() const {
  return title_.empty() ? "Input/Output" : title_;
}

bool SaveCommand::choose_file() {
  std::optional<SaveChoice> choice = platform_.choose_save_file(name_);
  if (!choice) return false;
  name_ = choice->path;
  title_ = choice->title;
  return true;
}

bool SaveCommand::write_file() {
  Handle file = platform_.create_file(name_);
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

void SaveCommand::save() {
  if (name_.empty()) {
    if (!choose_file()) return;
    platform_.set_window_title(Window::io, title_);
  }
  write_file();
}

void SaveCommand::save_as() {
  if (!choose_file()) return;
  platform_.set_window_title(Window::io, title_);
  write_file();
}

bool SaveCommand::save_before_close() {
  // The window keeps its title: the program is about to end.
  if (name_.empty() && !choose_file()) return false;
  return write_file();
}

}  // namespace tova::host
