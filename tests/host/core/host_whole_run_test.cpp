// A whole run of the analysis program through the host's console hooks, with
// a scripted user who types the file name and the Gower answer when a read
// waits and closes the window once the program has ended. The run ends the
// process, so it runs in a child process; the run-time's exit seam reports
// what the child saw through a pipe.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#if TOVA_HAVE_ANALYSIS && !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "analysis/driver.h"
#include "host/core/host.h"
#include "tests/host/core/support/fake_platform.h"
#include "textio/io_api.h"
#include "textio/io_error.h"
#include "textio/testing.h"
#define TOVA_WHOLE_RUN(name) name
#else
#define TOVA_WHOLE_RUN(name) DISABLED_##name
#endif

namespace tova::host::testing {
namespace {

#if TOVA_HAVE_ANALYSIS && !defined(_WIN32)

// The child's world: one host, the transcript as the hooks saw it, and the
// pipe to the parent.
struct Child {
  FakePlatform platform;
  Host host{platform};
  std::vector<std::string> transcript;  // one entry per line the window should hold
  bool line_open = false;               // the last write did not end its line
  std::vector<std::string> answers{"data.txt", "1"};
  size_t next_answer = 0;
  int report_fd = -1;
};
Child* child = nullptr;

std::string strip_record_end(std::string record) {
  if (!record.empty() && record.back() == '\n') record.pop_back();
  if (!record.empty() && record.back() == '\r') record.pop_back();
  return record;
}

// The scripted user: acts only when the host waits for a message.
void scripted_user(FakePlatform& platform) {
  Host& host = child->host;
  if (host.io().read_waiting() && child->next_answer < child->answers.size()) {
    const std::string& answer = child->answers[child->next_answer++];
    child->transcript.push_back(answer);
    child->line_open = false;
    for (char c : answer + "\r") {
      platform.waiting.push_back(
          {PumpEvent::dispatched, [&host, c] { host.io().on_char(static_cast<uint8_t>(c)); }});
    }
  } else if (host.program_finished() && !host.close_sequence().closing()) {
    platform.answers.push_back(Answer::no);
    platform.waiting.push_back({PumpEvent::dispatched, [&host] { host.on_close(); }});
  }
}

void report_and_exit(int32_t status) {
  Host& host = child->host;
  std::string report = "status=" + std::to_string(status) + "\n";
  std::vector<std::string> lines;
  for (size_t i = 1; i <= host.store().line_count(); ++i) {
    lines.emplace_back(host.store().line_text(i));
  }
  report += "lines=" + std::to_string(lines.size()) + "\n";
  report += "transcript=" + std::to_string(child->transcript.size()) + "\n";
  report += std::string("lines_match=") + (lines == child->transcript ? "1" : "0") + "\n";
  std::string expected_bytes;
  for (const std::string& line : child->transcript) expected_bytes += line + "\r\n";
  child->platform.save_choices = {SaveChoice{"saved.txt", "saved.txt"}};
  host.on_command(kCmdSaveAs);
  report += std::string("bytes_match=") +
            (child->platform.files["saved.txt"] == expected_bytes ? "1" : "0") + "\n";
  report += "first=" + (lines.empty() ? std::string() : lines[0]) + "\n";
  report += "second=" + (lines.size() < 2 ? std::string() : lines[1]) + "\n";
  report += std::string("loads=") + (std::filesystem::exists("LOADS.TXT") ? "1" : "0") + "\n";
  report += std::string("matrix=") + (std::filesystem::exists("MATRIX.DIS") ? "1" : "0") + "\n";
  ssize_t written = ::write(child->report_fd, report.data(), report.size());
  (void)written;
  ::_exit(0);
}

[[noreturn]] void run_child(int report_fd, const std::filesystem::path& directory) {
  std::filesystem::current_path(directory);
  child = new Child;
  child->report_fd = report_fd;
  child->platform.on_idle = scripted_user;
  Host& host = child->host;
  host.io().on_create(8, 16);
  host.io().on_resize(80 * 8, 25 * 16);
  textio::ConsoleHooks hooks = host.console_hooks();
  auto host_write = hooks.write;
  hooks.write = [host_write](const char* buffer, int32_t* count, int32_t handle) {
    // As a console shows them: a write without LF leaves its line open.
    std::string piece(buffer, static_cast<size_t>(*count));
    bool ends = !piece.empty() && piece.back() == '\n';
    if (child->line_open) {
      child->transcript.back() += strip_record_end(piece);
    } else {
      child->transcript.push_back(strip_record_end(piece));
    }
    child->line_open = !ends;
    return host_write(buffer, count, handle);
  };
  textio::install_console_hooks(hooks);
  textio::install_exit_hooks(hooks);
  textio::set_process_exit(report_and_exit);
  host.begin_run();
  tova::run_analysis();
}

std::string value_of(const std::string& report, const std::string& key) {
  size_t at = report.find(key + "=");
  if (at == std::string::npos) return "<missing>";
  size_t end = report.find('\n', at);
  return report.substr(at + key.size() + 1, end - at - key.size() - 1);
}

#endif

TEST(WholeRun, TOVA_WHOLE_RUN(ScriptedUserRunsTheAnalysisThroughTheHooks)) {
#if TOVA_HAVE_ANALYSIS && !defined(_WIN32)
  std::filesystem::path directory =
      std::filesystem::temp_directory_path() / ("tova_whole_run_" + std::to_string(::getpid()));
  std::filesystem::create_directories(directory);
  {
    std::ofstream data(directory / "data.txt", std::ios::binary);
    data << "three objects, three variables\r\n3 3\r\n7 6 1\r\n360\r\n"
            "1.5 10 1\r\n2.0 350 2\r\n-1 90 1\r\n";
  }
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::close(fds[0]);
    run_child(fds[1], directory);
  }
  ::close(fds[1]);
  std::string report;
  char buffer[512];
  for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
    report.append(buffer, static_cast<size_t>(n));
  }
  ::close(fds[0]);
  int wait_status = 0;
  ::waitpid(pid, &wait_status, 0);
  std::filesystem::remove_all(directory);

  EXPECT_EQ(value_of(report, "status"), "0") << report;
  EXPECT_EQ(value_of(report, "lines_match"), "1") << report;
  EXPECT_EQ(value_of(report, "bytes_match"), "1") << report;
  EXPECT_EQ(value_of(report, "lines"), value_of(report, "transcript")) << report;
  EXPECT_EQ(value_of(report, "first"), "  ENTER FILENAME FOR INPUT DATA") << report;
  EXPECT_EQ(value_of(report, "second"), "data.txt") << report;
  EXPECT_EQ(value_of(report, "loads"), "1") << report;
  EXPECT_EQ(value_of(report, "matrix"), "1") << report;
#else
  GTEST_SKIP() << "needs the analysis program";
#endif
}

}  // namespace
}  // namespace tova::host::testing
