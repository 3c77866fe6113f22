// Small programs on the real run-time, shown by the host through its hooks,
// with a scripted user. Each runs in a child process because the run ends
// the process; the run-time's exit seam sends the window's lines and the
// status to the parent.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "host/core/host.h"
#include "tests/host/core/support/fake_platform.h"
#include "textio/console_hooks.h"
#include "textio/io_api.h"
#include "textio/io_error.h"
#include "textio/statement.h"
#include "textio/testing.h"

namespace tova::host::testing {
namespace {

// The run-time's end_run ends a run that is still inside a statement.
class RuntimePlatform : public FakePlatform {
 public:
  void end_run() override { textio::end_run(); }
};

struct Child {
  RuntimePlatform platform;
  Host host{platform};
  int report_fd = -1;
};
Child* child = nullptr;

void report_and_exit(int32_t status) {
  std::string report = std::to_string(status) + "\n";
  for (size_t i = 1; i <= child->host.store().line_count(); ++i) {
    report += std::string(child->host.store().line_text(i)) + "\n";
  }
  ssize_t written = ::write(child->report_fd, report.data(), report.size());
  (void)written;
  ::_exit(0);
}

void type_line(const std::string& text) {
  Host& host = child->host;
  for (char c : text + "\r") {
    child->platform.waiting.push_back(
        {PumpEvent::dispatched, [&host, c] { host.io().on_char(static_cast<uint8_t>(c)); }});
  }
}

void close_window(Answer answer) {
  Host& host = child->host;
  child->platform.answers.push_back(answer);
  child->platform.waiting.push_back({PumpEvent::dispatched, [&host] { host.on_close(); }});
}

struct Outcome {
  int32_t status = -1000;
  std::vector<std::string> lines;
};

// Runs `program` on the run-time with the host's hooks; `user` scripts the
// user's messages before it starts.
Outcome run(const std::function<void()>& user, const std::function<void()>& program) {
  int fds[2];
  if (::pipe(fds) != 0) return {};
  pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    child = new Child;
    child->report_fd = fds[1];
    child->host.io().on_create(8, 16);
    child->host.io().on_resize(640, 400);
    textio::install_console_hooks(child->host.console_hooks());
    textio::install_exit_hooks(child->host.console_hooks());
    textio::set_process_exit(report_and_exit);
    child->host.begin_run();
    user();
    try {
      program();
    } catch (...) {
    }
    ::_exit(99);
  }
  ::close(fds[1]);
  std::string report;
  char buffer[1024];
  for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
    report.append(buffer, static_cast<size_t>(n));
  }
  ::close(fds[0]);
  ::waitpid(pid, nullptr, 0);
  Outcome outcome;
  size_t at = 0;
  for (size_t end; (end = report.find('\n', at)) != std::string::npos; at = end + 1) {
    std::string line = report.substr(at, end - at);
    if (at == 0) {
      outcome.status = std::stoi(line);
    } else {
      outcome.lines.push_back(line);
    }
  }
  return outcome;
}

void ask_and_stop() {
  textio::WriteStatement(textio::kConsole)
      .character(" ENTER 1 FOR COMPUTING GOWER DISSIMILARITIES ");
  int32_t answer = 0;
  textio::ReadStatement(textio::kConsole).integer(answer);
  textio::WriteStatement(textio::kConsole).character(" ANSWER").integer(answer);
  textio::stop("");
}

TEST(RuntimeRun, APromptAnAnswerAndStop) {
  Outcome outcome = run(
      [] {
        type_line("1");
        close_window(Answer::no);
      },
      ask_and_stop);
  EXPECT_EQ(outcome.status, 0);
  ASSERT_GE(outcome.lines.size(), 3u);
  EXPECT_EQ(outcome.lines[0], "  ENTER 1 FOR COMPUTING GOWER DISSIMILARITIES ");
  EXPECT_EQ(outcome.lines[1], "1");
  EXPECT_EQ(outcome.lines[2].substr(0, 8), "  ANSWER");
  bool stop_shown = false;
  for (const std::string& line : outcome.lines)
    stop_shown |= line.find("STOP") != std::string::npos;
  EXPECT_TRUE(stop_shown);
}

TEST(RuntimeRun, ClosingWhileTheProgramWaitsEndsWithZero) {
  Outcome outcome = run([] { close_window(Answer::no); }, ask_and_stop);
  EXPECT_EQ(outcome.status, 0);
  ASSERT_EQ(outcome.lines.size(), 1u);  // nothing after the prompt
  EXPECT_EQ(outcome.lines[0], "  ENTER 1 FOR COMPUTING GOWER DISSIMILARITIES ");
}

TEST(RuntimeRun, CancelLeavesTheProgramWaitingForItsAnswer) {
  Outcome outcome = run(
      [] {
        close_window(Answer::cancel);
        type_line("7");
        close_window(Answer::no);
      },
      ask_and_stop);
  EXPECT_EQ(outcome.status, 0);
  ASSERT_GE(outcome.lines.size(), 3u);
  EXPECT_EQ(outcome.lines[1], "7");
}

TEST(RuntimeRun, AFatalErrorEndsWithMinusOneOnceTheWindowCloses) {
  Outcome outcome = run([] { close_window(Answer::no); },
                        [] {
                          textio::WriteStatement(textio::kConsole).character(" WORKING");
                          textio::fatal_data_error("bad type code");
                        });
  EXPECT_EQ(outcome.status, -1);
  ASSERT_GE(outcome.lines.size(), 2u);
  EXPECT_EQ(outcome.lines[0], "  WORKING");
}

}  // namespace
}  // namespace tova::host::testing
#endif
