// The four console hooks: the only road between the run-time and whatever
// shows the console streams (the process's standard streams by default, the
// Input/Output window of the windowed host).
#pragma once

#include <cstdint>
#include <functional>

namespace textio {

// Standard-handle codes passed to `write` (and kept as the console units'
// handles): -10 standard input, -11 standard output, -12 standard error.
inline constexpr int32_t kStdInputHandle = -10;
inline constexpr int32_t kStdOutputHandle = -11;
inline constexpr int32_t kStdErrorHandle = -12;

struct ConsoleHooks {
  // Fills `buffer` (of `size` bytes, 256 for the console units) with one typed
  // line and its line end; returns the byte count, 0 meaning end of input.
  std::function<int32_t(char* buffer, int32_t size)> read;
  // Shows `*count` bytes for the standard-handle code `handle` (-11 or -12);
  // returns the number written, 0 meaning failure. One call per record.
  std::function<int32_t(const char* buffer, int32_t* count, int32_t handle)> write;
  // Called once, just before the process ends, with its exit code.
  std::function<void(int32_t exit_code)> finish;
  // Called at the start of statements so the host can dispatch messages.
  std::function<void()> poll;
};

// Replaces the console hook table used by every statement, STOP and reports.
// Empty slots keep their defaults.
void install_console_hooks(const ConsoleHooks& hooks);
// Replaces the low-level table used only by the normal exit path.
void install_exit_hooks(const ConsoleHooks& hooks);

const ConsoleHooks& console_hooks();
const ConsoleHooks& exit_hooks();

// The defaults: the process's standard streams; `finish` and `poll` do nothing.
ConsoleHooks default_console_hooks();

}  // namespace textio
