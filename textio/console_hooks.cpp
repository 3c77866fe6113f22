// The two console hook tables and their defaults on the standard streams.
#include "textio/console_hooks.h"

#include "textio/file_layer.h"

namespace textio {
namespace {

ConsoleHooks merged(const ConsoleHooks& hooks) {
  ConsoleHooks result = default_console_hooks();
  if (hooks.read) result.read = hooks.read;
  if (hooks.write) result.write = hooks.write;
  if (hooks.finish) result.finish = hooks.finish;
  if (hooks.poll) result.poll = hooks.poll;
  return result;
}

ConsoleHooks& statement_table() {
  static ConsoleHooks table = default_console_hooks();
  return table;
}

ConsoleHooks& exit_table() {
  static ConsoleHooks table = default_console_hooks();
  return table;
}

}  // namespace

ConsoleHooks default_console_hooks() {
  ConsoleHooks hooks;
  hooks.read = [](char* buffer, int32_t size) {
    return platform::read_standard_input(buffer, size);
  };
  hooks.write = [](const char* buffer, int32_t* count, int32_t handle) {
    return platform::write_standard_stream(handle, buffer, *count);
  };
  hooks.finish = [](int32_t) {};
  hooks.poll = [] {};
  return hooks;
}

void install_console_hooks(const ConsoleHooks& hooks) {
  statement_table() = merged(hooks);
}
void install_exit_hooks(const ConsoleHooks& hooks) {
  exit_table() = merged(hooks);
}

const ConsoleHooks& console_hooks() {
  return statement_table();
}
const ConsoleHooks& exit_hooks() {
  return exit_table();
}

}  // namespace textio
