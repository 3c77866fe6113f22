// The host's console hooks: a write ending in LF ends a line, a read takes
// the line the user ended, finish pumps until the window is closed.
#include "tests/host/core/support/host_fixture.h"

#ifdef TOVA_HAVE_ANALYSIS
#include <atomic>
#include <chrono>
#include <thread>

#include "analysis/kernels/workers.h"
#endif

namespace tova::host::testing {
namespace {

class ConsoleHooksTest : public HostTest {
 protected:
  void SetUp() override {
    open_window(20, 80);
    host.begin_run();
  }
};

TEST_F(ConsoleHooksTest, AWriteEndingInLineFeedEndsTheLineOthersLeaveItOpen) {
  EXPECT_EQ(write_piece("ABC\r\n"), 5);
  EXPECT_EQ(write_piece("\r\n"), 2);
  EXPECT_EQ(write_piece("ABC"), 3);
  EXPECT_EQ(write_piece("DEF\r\n"), 5);
  EXPECT_EQ(write_piece("\n\r"), 2);
  EXPECT_EQ(write_piece(""), 0);
  EXPECT_EQ(lines(), (Lines{"ABC", "", "ABCDEF", "\n\r"}));
}

TEST_F(ConsoleHooksTest, NothingInsideARecordIsInterpreted) {
  output(std::string("+a\rb\nc\td\fe\0f\r\n", 14));
  EXPECT_EQ(lines(), Lines{std::string("+a\rb\nc\td\fe\0f", 12)});
}

TEST_F(ConsoleHooksTest, EveryByteValueIsStoredAsWritten) {
  for (int c = 0; c < 256; ++c) {
    std::string record(1, static_cast<char>(c));
    output(record + "\r\n");
    EXPECT_EQ(store().last_line(), record) << "byte " << c;
  }
  EXPECT_EQ(store().line_count(), 256u);
}

TEST_F(ConsoleHooksTest, StandardErrorLooksLikeStandardOutput) {
  std::string record = "+ error line\r\n";
  int32_t count = static_cast<int32_t>(record.size());
  EXPECT_EQ(host.write(record.data(), &count, -12), count);
  EXPECT_EQ(lines(), Lines{"+ error line"});
}

TEST_F(ConsoleHooksTest, ALongRecordInTwoWritesShowsAsOneLine) {
  std::string record(300, 'r');
  write_piece(record.substr(0, 256));
  write_piece(record.substr(256) + "\r\n");
  EXPECT_EQ(lines(), Lines{record});
}

// The third line of an error report arrives in two pieces; it showed and
// was saved as two lines.
TEST_F(ConsoleHooksTest, RecordsWrittenInPiecesShowAndSaveAsTheConsoleShowsThem) {
  write_piece("? READ(UNIT=");
  write_piece("1,...\n");
  write_piece(" STOP");
  write_piece(" 0");
  write_piece("\n");
  EXPECT_EQ(lines(), (Lines{"? READ(UNIT=1,...", " STOP 0"}));
  platform.save_choices.push_back(SaveChoice{"C:\\out.txt", "out.txt"});
  host.on_command(kCmdSaveAs);
  EXPECT_EQ(platform.files["C:\\out.txt"], "? READ(UNIT=1,...\r\n STOP 0\r\n");
}

TEST_F(ConsoleHooksTest, AnAnswerIsTypedOnALineOfItsOwnAfterAnOpenPrompt) {
  write_piece(" NAME? ");
  queue_typing("x\r");
  EXPECT_EQ(read_line(), "x\r\n");
  output("NEXT");
  EXPECT_EQ(lines(), (Lines{" NAME? ", "x", "NEXT"}));
}

// 66,569 lines took half an hour: a scroll and a repaint for every line.
TEST_F(ConsoleHooksTest, LongOutputIsPaintedOncePerIntervalAndBeforeARead) {
  platform.clock_step = 0;  // no time passes unless the test says so
  output("first");          // the first is due at once
  platform.clear_trace();
  constexpr int kLines = 66569;
  for (int i = 0; i < kLines; ++i) {
    if (i == 40000) platform.clock_ms += kOutputInterval;
    output("L" + std::to_string(i));
    host.poll();
  }
  EXPECT_EQ(store().line_count(), kLines + 1u);
  EXPECT_EQ(platform.calls("update_now").size(), 1u);  // at line 40,000
  EXPECT_EQ(platform.calls("pump_pending").size(), 1u);
  queue_typing("\r");
  read_line();
  EXPECT_EQ(platform.calls("update_now").size(), 3u);  // before the wait, and the Enter
  // Where the view stands is where a line-by-line run leaves it.
  EXPECT_EQ(io().view_top(), kLines + 2 - 20 + 2);
  EXPECT_EQ(io().caret_row(), kLines + 2);
  EXPECT_EQ(platform.scroll_pos[0], io().view_top());
  EXPECT_EQ(platform.caret_y, (io().caret_row() - io().view_top()) * kCellHeight);
}

TEST_F(ConsoleHooksTest, WhileTheProgramComputesTypingWaitsForTheNextStatement) {
  output("computing");
  bool handled = false;
  platform.pending.push_back({PumpEvent::dispatched, [&] {
                                handled = true;
                                io().on_char('a');
                                io().on_char('\r');
                              }});
  host.pump_while_computing();
  EXPECT_TRUE(handled);
  EXPECT_EQ(lines(), Lines{"computing"});
  host.poll();
  EXPECT_EQ(lines(), (Lines{"computing", "a"}));
}

#ifdef TOVA_HAVE_ANALYSIS
// The window froze ("Not Responding") while the kernels' threads computed.
std::atomic<int> g_waits{0};
TEST(WorkerPool, TheWaitHookRunsOnTheCallingThreadWhileTheWorkersCompute) {
  const std::thread::id caller = std::this_thread::get_id();
  static std::thread::id hook_thread;
  tova::kernels::set_wait_hook([] {
    hook_thread = std::this_thread::get_id();
    ++g_waits;
  });
  std::atomic<int> parts{0};
  tova::kernels::run_workers(3, [&](int part) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100 + 50 * part));
    parts += 1 << part;
  });
  tova::kernels::set_wait_hook(nullptr);
  EXPECT_EQ(parts, 7);
  EXPECT_GE(g_waits, 3);
  EXPECT_EQ(hook_thread, caller);
}
#endif

TEST_F(ConsoleHooksTest, ClosingWhileTheProgramComputesAsksAndEndsTheRun) {
  platform.answers.push_back(Answer::no);
  platform.pending.push_back({PumpEvent::dispatched, [this] { host.on_close(); }});
  EXPECT_THROW(host.pump_while_computing(), RunEnded);
  EXPECT_EQ(platform.message_texts, Lines{"Save the Input/Output window?"});
  EXPECT_EQ(platform.end_run_calls, 1);
}

TEST_F(ConsoleHooksTest, WriteShowsTheLineBeforeItPumps) {
  platform.pending.push_back(
      {PumpEvent::dispatched, [this] { EXPECT_EQ(store().last_line(), "now"); }});
  output("now\r\n");
  EXPECT_EQ(platform.trace.back(), "pump_pending");
  EXPECT_TRUE(platform.pending.empty());
}

TEST_F(ConsoleHooksTest, PollPumpsPendingMessages) {
  bool handled = false;
  platform.pending.push_back({PumpEvent::dispatched, [&] { handled = true; }});
  host.poll();
  EXPECT_TRUE(handled);
}

TEST_F(ConsoleHooksTest, ReadReturnsTheLineEndedWithEnter) {
  queue_typing("hello\r");
  EXPECT_EQ(read_line(), "hello\r\n");
  EXPECT_FALSE(io().read_waiting());
  EXPECT_EQ(lines(), Lines{"hello"});
}

TEST_F(ConsoleHooksTest, ReadWaitsUntilEnter) {
  queue_typing("abc");
  EXPECT_THROW(read_line(), WouldBlock);
  EXPECT_TRUE(io().read_waiting());
}

TEST_F(ConsoleHooksTest, EnterOnAnEmptyRowReadsCrLfAlone) {
  queue_typing("\r");
  EXPECT_EQ(read_line(), "\r\n");
  EXPECT_EQ(lines(), Lines{""});
}

TEST_F(ConsoleHooksTest, ALongTypedLineIsCutToTheBuffer) {
  std::string typed(300, 't');
  queue_typing(typed + "\r");
  EXPECT_EQ(read_line(256), std::string(254, 't') + "\r\n");
  EXPECT_EQ(lines(), Lines{typed});
  queue_typing("xyz\r");
  EXPECT_EQ(read_line(2), "\r\n");
}

TEST_F(ConsoleHooksTest, ALineTypedAheadIsNotRead) {
  // Typed during a computation, dispatched by the next write.
  for (char c : std::string("early\r")) {
    platform.pending.push_back({PumpEvent::dispatched, [this, c] { type(std::string(1, c)); }});
  }
  output(" ENTER FILENAME");
  // The output line went in before the write pumped.
  EXPECT_EQ(lines(), (Lines{" ENTER FILENAME", "early"}));
  queue_typing("late\r");
  EXPECT_EQ(read_line(), "late\r\n");
}

TEST_F(ConsoleHooksTest, TheConditionIsTestedOnlyAfterADispatchedMessage) {
  // An accelerator's command (taken by translation) ends the line; the read
  // sees it after the next message that reaches a window.
  bool next_message_seen = false;
  platform.waiting.push_back({PumpEvent::translated, [this] { type("x\r"); }});
  platform.waiting.push_back({PumpEvent::dispatched, [&] { next_message_seen = true; }});
  EXPECT_EQ(read_line(), "x\r\n");
  EXPECT_TRUE(next_message_seen);
}

TEST_F(ConsoleHooksTest, ReadAfterTheQuitMessageReturnsAtOnce) {
  platform.waiting.push_back({PumpEvent::quit, nullptr});
  EXPECT_EQ(read_line(), "\r\n");
  EXPECT_TRUE(host.quit_received());
  EXPECT_EQ(read_line(), "\r\n");  // no further wait on a finished queue
}

TEST_F(ConsoleHooksTest, FinishPumpsUntilTheQuitMessage) {
  int handled = 0;
  platform.waiting.push_back({PumpEvent::dispatched, [&] {
                                ++handled;
                                EXPECT_EQ(host.phase(), Phase::finished);
                              }});
  platform.waiting.push_back({PumpEvent::dispatched, [&] { ++handled; }});
  platform.waiting.push_back({PumpEvent::quit, nullptr});
  host.finish(0);
  EXPECT_EQ(handled, 2);
  EXPECT_TRUE(host.program_finished());
  EXPECT_EQ(host.phase(), Phase::ended);
}

TEST_F(ConsoleHooksTest, AfterAStartFailureFinishReturnsAtOnce) {
  Host failed(platform);
  failed.start_failed();
  failed.finish(0);  // no message is waited for
  EXPECT_TRUE(failed.program_finished());
  EXPECT_EQ(failed.phase(), Phase::ended);
}

TEST_F(ConsoleHooksTest, TheHookTableCallsTheHost) {
  textio::ConsoleHooks hooks = host.console_hooks();
  ASSERT_TRUE(hooks.read && hooks.write && hooks.finish && hooks.poll);
  int32_t count = 4;
  EXPECT_EQ(hooks.write("ab\r\n", &count, -11), 4);
  EXPECT_EQ(lines(), Lines{"ab"});
  queue_typing("cd\r");
  char buffer[256];
  EXPECT_EQ(hooks.read(buffer, 256), 4);
  EXPECT_EQ(std::string(buffer, 4), "cd\r\n");
  hooks.poll();
  platform.waiting.push_back({PumpEvent::quit, nullptr});
  hooks.finish(-1);
  EXPECT_EQ(host.phase(), Phase::ended);
}

}  // namespace
}  // namespace tova::host::testing
