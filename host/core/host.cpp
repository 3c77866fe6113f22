#include "host/core/host.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace tova::host {

namespace {
constexpr uint8_t kCarriageReturn = 13;
constexpr uint8_t kLineFeed = 10;
}  // namespace

Host::Host(Platform& platform)
    : platform_(platform),
      io_(store_, state_, platform),
      services_(platform, [this] { pump_pending(); }),
      save_(platform, store_, state_),
      print_(platform, store_),
      edit_(platform, io_),
      close_(platform, state_, save_) {}

void Host::begin_run() {
  phase_ = Phase::running;
}

void Host::start_failed() {
  quit_received_ = true;
}

void Host::pump_pending() {
  // The view first: held keys are typed into the window as it is drawn.
  io_.flush_output();
  io_.hold_typing(false);
  last_pump_ms_ = platform_.milliseconds();
  if (quit_received_) return;
  if (!platform_.pump_pending()) {
    quit_received_ = true;
    phase_ = Phase::ended;
  }
}

void Host::pump_while_computing() {
  if (phase_ != Phase::running || quit_received_) return;
  io_.flush_output();
  io_.hold_typing(true);
  last_pump_ms_ = platform_.milliseconds();
  if (!platform_.pump_pending()) {
    quit_received_ = true;
    phase_ = Phase::ended;
  }
}

bool Host::pump_until(const std::function<bool()>& condition) {
  io_.flush_output();
  io_.hold_typing(false);
  // After the quit message no window is left to wake the queue.
  while (!quit_received_) {
    switch (platform_.wait_message()) {
      case PumpEvent::quit:
        quit_received_ = true;
        phase_ = Phase::ended;
        return false;
      case PumpEvent::dispatched:
        if (condition()) return true;
        break;
      case PumpEvent::translated:
        break;
    }
  }
  return false;
}

int32_t Host::read(char* buffer, int32_t size) {
  // The answer goes on a line of its own, as typed after a prompt.
  open_output_line_.reset();
  io_.set_read_waiting(true);
  pump_until([this] { return !io_.read_waiting(); });
  io_.set_read_waiting(false);
  // The line the user ended is the last one; a paste may have opened another
  // since, and that one is read (the host never reports end of input).
  std::string_view line = store_.last_line();
  size_t room = static_cast<size_t>(std::max(size - 2, 0));
  size_t n = std::min(line.size(), room);
  if (n > 0) std::memcpy(buffer, line.data(), n);
  buffer[n] = static_cast<char>(kCarriageReturn);
  buffer[n + 1] = static_cast<char>(kLineFeed);
  return static_cast<int32_t>(n + 2);
}

int32_t Host::write(const char* buffer, int32_t* count, int32_t) {
  // Standard output and standard error look alike; nothing but the line
  // end is taken off.
  int32_t n = std::max(*count, 0);
  bool line_ends = n > 0 && static_cast<uint8_t>(buffer[n - 1]) == kLineFeed;
  if (line_ends) --n;
  if (line_ends && n > 0 && static_cast<uint8_t>(buffer[n - 1]) == kCarriageReturn) --n;
  std::string_view text(buffer, static_cast<size_t>(n));
  if (open_output_line_) {
    io_.extend_output_line(*open_output_line_, text);
  } else {
    open_output_line_ = io_.add_output_line(text);
  }
  if (line_ends) open_output_line_.reset();
  if (platform_.milliseconds() - last_pump_ms_ >= kOutputInterval) pump_pending();
  return *count;
}

void Host::finish(int32_t) {
  // The status is the run-time's to pass on when this returns.
  program_finished_ = true;
  open_output_line_.reset();
  if (phase_ != Phase::ended) phase_ = Phase::finished;
  pump_until([] { return false; });
  phase_ = Phase::ended;
}

void Host::poll() {
  if (platform_.milliseconds() - last_pump_ms_ >= kOutputInterval) pump_pending();
}

textio::ConsoleHooks Host::console_hooks() {
  textio::ConsoleHooks hooks;
  hooks.read = [this](char* buffer, int32_t size) { return read(buffer, size); };
  hooks.write = [this](const char* buffer, int32_t* count, int32_t handle) {
    return write(buffer, count, handle);
  };
  hooks.finish = [this](int32_t status) { finish(status); };
  hooks.poll = [this] { poll(); };
  return hooks;
}

// --- Frame window messages ------------------------------------------------

FrameAction Host::on_command(int32_t command) {
  switch (command) {
    // File commands end here.
    case kCmdSave:
      save_.save();
      return FrameAction::done;
    case kCmdSaveAs:
      save_.save_as();
      return FrameAction::done;
    case kCmdPrint:
      print_.print(save_.window_title());
      return FrameAction::done;
    case kCmdAbout:
      platform_.about_box();
      return FrameAction::done;
    case kCmdExit:
      on_close();
      return FrameAction::done;
    default:
      // The others go on to default processing after their action. Undo,
      // the Window commands and the child list have no handler here.
      if (!edit_.on_command(command)) services_.on_user_command(command);
      return FrameAction::default_processing;
  }
}

void Host::on_menu_opening() {
  edit_.on_menu_opening();
}

bool Host::on_timer(int32_t id) {
  return services_.on_timer(id);
}

CloseOutcome Host::on_close() {
  CloseOutcome outcome = close_.request(program_finished_);
  if (outcome == CloseOutcome::ended_run) {
    // Inside a console statement of the program, which never resumes: the
    // run-time closes every unit and ends the process with status 0.
    phase_ = Phase::ended;
    platform_.end_run();
  }
  // After the program ended, the `finish` hook's pump receives the quit
  // message and returns; the run-time ends the process with its own status.
  return outcome;
}

}  // namespace tova::host
