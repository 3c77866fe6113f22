// The console host: the state of one process's frame window, its
// Input/Output window and services, the console hooks that join them to the
// run-time, the message pumps, the frame's commands and the close sequence.
//
// One thread runs everything. Messages are handled only inside the pumps,
// which run inside the console hooks (and inside `finish` after the program
// has ended), so every handler below runs nested in a statement of the
// run-time and must never start one.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "host/core/host_state.h"
#include "host/core/io_window.h"
#include "host/core/platform.h"
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

// How one close request ended.
enum class CloseOutcome : uint8_t {
  destroy_by_default,  // the close sequence had begun: default processing destroys the frame
  cancelled,           // the user cancelled at the exit prompt; nothing changed
  ended_run,           // the program was still running: the run was ended (status 0)
  finished_run,        // the program had ended: the quit message ends its `finish`
};

struct AboutField {
  int32_t control;  // dialog control ID
  std::string text;
};

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
  Phase phase() const { return phase_; }
  bool quit_received() const { return quit_received_; }

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
  FrameAction on_command(int32_t command);
  // A menu (or an accelerator's item) is about to open: Paste follows the
  // clipboard.
  void on_menu_opening();
  CloseOutcome on_close();
  // A timer message; `parameter` is the message's timer ID word. True when a
  // user routine handled it, false for default processing.
  bool on_timer(uint64_t parameter);

  // --- File commands --------------------------------------------------------
  bool choose_save_file();
  // Writes the store to `save_name`; true when every byte was written.
  bool write_text_file();
  bool exit_prompt();
  void save();
  void save_as();

  // --- Edit commands ------------------------------------------------------
  bool copy();
  bool cut();
  void paste();
  void delete_selection();

  // --- Printing ------------------------------------------------------------
  void print_text();
  void cancel_printing() { print_continue_ = false; }
  bool print_continue() const { return print_continue_; }

  // --- About box -----------------------------------------------------------
  std::array<AboutField, 5> about_fields();

 private:
  Platform& platform_;
  HostState state_;
  TextStore store_;
  IoWindow io_;
  Services services_;
  Phase phase_ = Phase::starting;
  bool quit_received_ = false;
  bool print_continue_ = false;
  std::optional<size_t> open_output_line_;  // store line a record is still writing
  int64_t last_pump_ms_ = INT64_MIN / 2;    // never: the first output is due
};

// How often the view follows long output and the queue is looked at.
inline constexpr int64_t kOutputInterval = 50;

// The frame's title: the program file's path after its last backslash.
std::string frame_title(std::string_view program_path);

// What a paste types: each CR LF, LF or CR becomes one Enter (13), Tab
// stays, and no other control character is typed.
std::string paste_keys(std::string_view text);

}  // namespace tova::host
