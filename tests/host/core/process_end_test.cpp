// The end of the process as the user sees it: a child process runs a small
// program through the host hooks and ends the way the run-time ends it, so
// its exit status is observed from outside.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "host/core/host.h"
#include "tests/host/core/support/fake_platform.h"

namespace tova::host::testing {
namespace {

// A platform whose end_run is the run-time's: the process ends with 0.
class ExitingPlatform : public FakePlatform {
 public:
  void end_run() override { ::_exit(0); }
};

// Runs `program` in a child; returns its exit status (-1 shows as 255).
int exit_status_of(const std::function<void()>& program) {
  pid_t pid = ::fork();
  if (pid == 0) {
    try {
      program();
    } catch (...) {
      ::_exit(98);  // the script ran out: the real pump would block
    }
    ::_exit(99);  // the program must end the process itself
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
}

// The program: a prompt and a read, then STOP (or a fatal error) through
// the hooks as the run-time uses them.
void prompt_read_and_end(Host& host, int32_t end_status) {
  textio::ConsoleHooks hooks = host.console_hooks();
  int32_t count = 31;
  hooks.write("  ENTER FILENAME FOR INPUT DATA\r\n", &count, -11);
  char line[256];
  hooks.read(line, 256);
  hooks.finish(end_status);  // the run-time's exit path, then its exit
  ::_exit(end_status & 0xFF);
}

void queue_line(ExitingPlatform& platform, Host& host, const std::string& text) {
  for (char c : text) {
    platform.waiting.push_back(
        {PumpEvent::dispatched, [&host, c] { host.io().on_char(static_cast<uint8_t>(c)); }});
  }
}

TEST(ProcessEnd, ClosingWhileAReadWaitsEndsWithStatusZero) {
  int status = exit_status_of([] {
    ExitingPlatform platform;
    Host host(platform);
    host.begin_run();
    platform.answers = {Answer::no};
    platform.waiting.push_back({PumpEvent::dispatched, [&host] { host.on_close(); }});
    prompt_read_and_end(host, 7);  // never gets past the read
  });
  EXPECT_EQ(status, 0);
}

TEST(ProcessEnd, CancelKeepsTheProgramWhichThenStops) {
  int status = exit_status_of([] {
    ExitingPlatform platform;
    Host host(platform);
    host.begin_run();
    platform.answers = {Answer::cancel, Answer::no};
    platform.waiting.push_back({PumpEvent::dispatched, [&host] { host.on_close(); }});
    queue_line(platform, host, "data.txt\r");
    platform.waiting.push_back({PumpEvent::dispatched, [&host] { host.on_close(); }});
    prompt_read_and_end(host, 0);
  });
  EXPECT_EQ(status, 0);
}

TEST(ProcessEnd, AfterAFatalErrorClosingEndsWithMinusOne) {
  int status = exit_status_of([] {
    ExitingPlatform platform;
    Host host(platform);
    host.begin_run();
    queue_line(platform, host, "data.txt\r");
    platform.answers = {Answer::no};
    platform.waiting.push_back({PumpEvent::dispatched, [&host] { host.on_close(); }});
    prompt_read_and_end(host, -1);
  });
  EXPECT_EQ(status, 255);
}

TEST(ProcessEnd, AfterStopClosingEndsWithZero) {
  int status = exit_status_of([] {
    ExitingPlatform platform;
    Host host(platform);
    host.begin_run();
    queue_line(platform, host, "data.txt\r");
    platform.waiting.push_back({PumpEvent::dispatched, [&host] {
                                  host.state().saved = true;  // saved: no prompt
                                  host.on_close();
                                }});
    prompt_read_and_end(host, 0);
  });
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace tova::host::testing
#endif
