// The console host: one process's text store, Input/Output window,
// services and commands, the console hooks that join them to the run-time,
// the message pumps, and the routing of the frame's messages to the part
// that handles each.
//
// One thread runs everything. Messages are handled only inside the pumps,
// which run inside the console hooks (and inside `finish` after the program
// has ended), so every handler below runs nested in a statement of the
// run-time and must never start one.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "host/core/close_sequence.h"
#include "host/core/commands.h"
#include "host/core/edit_commands.h"
#include "host/core/host_state.h"
#include "host/core/io_window.h"
#include "host/core/platform.h"
#include "host/core/print_command.h"
#include "host/core/save_command.h"
#include "host/core/services.h"
#include "host/core/text_store.h"
#include "textio/console_hooks.h"

namespace tova::host {

enum class Phase : uint8_t {
  starting,  // windows being built; no message handled yet
  running,   // the program runs; messages only inside console statements
  finished,  // the program has ended; `finish` pumps until the quit message
  ended,     // the quit message arrived, or the run was ended by a close
};

// What the front end does after a frame message the core has handled.
enum class FrameAction : uint8_t { done, default_processing };

class Host {
 public:
  explicit Host(Platform& platform);
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  Platform& platform() { return platform_; }
  HostState& state() { return state_; }
  const TextStore& store() const { return store_; }
  IoWindow& io() { return io_; }
  Services& services() { return services_; }
  SaveCommand& save_command() { return save_; }
  PrintCommand& print_command() { return print_; }
  EditCommands& edit_commands() { return edit_; }
  CloseSequence& close_sequence() { return close_; }
  Phase phase() const { return phase_; }
  bool quit_received() const { return quit_received_; }
  // The program has ended and the `finish` hook is pumping (or has pumped).
  bool program_finished() const { return program_finished_; }

  // `host_main` calls this just before the program's main routine.
  void begin_run();
  // `host_main` calls this when it returns a failure: no window will ever
  // post the quit message, so the hooks stop waiting for one.
  void start_failed();

  // --- Message pumps ----------------------------------------------------
  // Every pump first brings the view up to date with the output, so that
  // the handlers it runs see the window as the user does.
  void pump_pending();
  // Called by the analysis's worker pool while its threads compute: the
  // window repaints, scrolls, selects, copies and closes as usual, but
  // typed characters wait for the next statement (no read is waiting).
  void pump_while_computing();
  // Waits and dispatches until a dispatched message made `condition` true
  // (true) or the quit message arrived (false). The condition is tested only
  // after a message that reached a window procedure.
  bool pump_until(const std::function<bool()>& condition);

  // --- Console hooks ------------------------------------------------------
  // The line last ended with Enter, cut to size - 2 bytes, then CR LF; never
  // 0 (no end of input). `size` is at least 2 (the run-time passes 256).
  int32_t read(char* buffer, int32_t size);
  // Console semantics: a call ending in LF ends the line (its CR LF taken
  // off, nothing else interpreted); a call without one leaves the line open
  // for the next call, so a record written in pieces is one line. The store
  // takes the text at once; the view follows once per `kOutputInterval`
  // and before every pump. Returns `*count` as passed.
  int32_t write(const char* buffer, int32_t* count, int32_t handle);
  void finish(int32_t exit_status);
  void poll();
  // The four hooks above, for both hook tables of the run-time.
  textio::ConsoleHooks console_hooks();

  // --- Frame window messages ----------------------------------------------
  // A menu command or accelerator (`command` is the command ID).
  FrameAction on_command(int32_t command);
  // A menu (or an accelerator's item) is about to open.
  void on_menu_opening();
  // A close request; `ended_run` has already ended the run (in the product
  // `end_run` does not return).
  CloseOutcome on_close();
  // A timer tick of the frame for timer `id`. True when a user routine
  // handled it, false for default processing.
  bool on_timer(int32_t id);

 private:
  Platform& platform_;
  HostState state_;
  TextStore store_;
  IoWindow io_;
  Services services_;
  SaveCommand save_;
  PrintCommand print_;
  EditCommands edit_;
  CloseSequence close_;
  Phase phase_ = Phase::starting;
  bool quit_received_ = false;
  bool program_finished_ = false;
  std::optional<size_t> open_output_line_;  // store line a record is still writing
  int64_t last_pump_ms_ = INT64_MIN / 2;    // never: the first output is due
};

// How often the view follows long output and the queue is looked at.
inline constexpr int64_t kOutputInterval = 50;

}  // namespace tova::host
