// The host's console hooks: one write is one line, a read takes the line
// the user ended, finish pumps until the window is closed.
#include "tests/host/core/support/host_fixture.h"

namespace tova::host::testing {
namespace {

class ConsoleHooksTest : public HostTest {
 protected:
  void SetUp() override {
    open_window(20, 80);
    host.begin_run();
  }
};

TEST_F(ConsoleHooksTest, WriteTakesOffOnlyTheRecordsLineEnd) {
  EXPECT_EQ(output("ABC\r\n"), 5);
  EXPECT_EQ(output("\r\n"), 2);
  EXPECT_EQ(output("ABC"), 3);
  EXPECT_EQ(output("X\r"), 2);
  EXPECT_EQ(output("\n"), 1);
  EXPECT_EQ(output("\n\r"), 2);
  EXPECT_EQ(output(""), 0);
  EXPECT_EQ(lines(), (Lines{"ABC", "", "ABC", "X", "", "\n", ""}));
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

TEST_F(ConsoleHooksTest, ALongRecordInTwoWritesShowsAsTwoLines) {
  std::string record(300, 'r');
  output(record.substr(0, 256));
  output(record.substr(256) + "\r\n");
  EXPECT_EQ(lines(), (Lines{std::string(256, 'r'), std::string(44, 'r')}));
}

TEST_F(ConsoleHooksTest, TheStopTextInThreeWritesShowsAsThreeLines) {
  output("STOP");
  output(" 0");
  output("\n");
  EXPECT_EQ(lines(), (Lines{"STOP", " 0", ""}));
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
  EXPECT_TRUE(host.state().program_finished);
  EXPECT_EQ(host.phase(), Phase::ended);
}

TEST_F(ConsoleHooksTest, AfterAStartFailureFinishReturnsAtOnce) {
  Host failed(platform);
  failed.start_failed();
  failed.finish(0);  // no message is waited for
  EXPECT_TRUE(failed.state().program_finished);
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
