// The frame window: the command table, timer ticks, the states of
// a run and the close sequence with its four outcomes.
#include "tests/host/core/support/host_fixture.h"

namespace tova::host::testing {
namespace {

class Frame : public HostTest {
 protected:
  void SetUp() override {
    open_window(20, 80);
    host.begin_run();
    output(" ENTER FILENAME FOR INPUT DATA");
  }
  // The user closes the frame while a read waits (outcome recorded).
  void queue_close(std::optional<CloseOutcome>* outcome) {
    platform.waiting.push_back(
        {PumpEvent::dispatched, [this, outcome] { *outcome = host.on_close(); }});
  }
};

TEST_F(Frame, StatesOfARun) {
  Host fresh(platform);
  EXPECT_EQ(fresh.phase(), Phase::starting);
  fresh.begin_run();
  EXPECT_EQ(fresh.phase(), Phase::running);
  platform.waiting.push_back(
      {PumpEvent::dispatched, [&] { EXPECT_EQ(fresh.phase(), Phase::finished); }});
  platform.waiting.push_back({PumpEvent::quit, nullptr});
  fresh.finish(0);
  EXPECT_EQ(fresh.phase(), Phase::ended);
}

TEST_F(Frame, InitialHostState) {
  Host fresh(platform);
  EXPECT_FALSE(fresh.state().saved);
  EXPECT_FALSE(fresh.close_sequence().closing());
  EXPECT_FALSE(fresh.program_finished());
  EXPECT_EQ(fresh.save_command().name(), "");
  EXPECT_EQ(fresh.services().next_command_id(), 800);
}

TEST_F(Frame, FileCommandsEndAtTheirAction) {
  platform.printer = std::nullopt;
  EXPECT_EQ(host.on_command(kCmdSave), FrameAction::done);  // dialog cancelled
  EXPECT_EQ(host.on_command(kCmdSaveAs), FrameAction::done);
  EXPECT_EQ(host.on_command(kCmdPrint), FrameAction::done);
  EXPECT_EQ(host.on_command(kCmdAbout), FrameAction::done);
  EXPECT_EQ(platform.calls("save_dialog").size(), 2u);
  EXPECT_EQ(platform.calls("print_dialog").size(), 1u);
  EXPECT_EQ(platform.calls("about_box").size(), 1u);
}

TEST_F(Frame, OtherCommandsGoOnToDefaultProcessing) {
  for (int32_t command : {600, 610, 611, 612, 613, 700, 701, 702, 100, 101, 800, 1299}) {
    EXPECT_EQ(host.on_command(command), FrameAction::default_processing) << command;
  }
}

TEST_F(Frame, ExitRunsTheCloseSequence) {
  platform.answers = {Answer::cancel};
  EXPECT_EQ(host.on_command(kCmdExit), FrameAction::done);
  EXPECT_EQ(platform.message_texts, Lines{"Save the Input/Output window?"});
  EXPECT_EQ(platform.calls("message_box frame").size(), 1u);
}

TEST_F(Frame, CancelAtThePromptKeepsTheProgramWaiting) {
  std::optional<CloseOutcome> outcome;
  platform.answers = {Answer::cancel};
  queue_close(&outcome);
  queue_typing("data.txt\r");
  EXPECT_EQ(read_line(), "data.txt\r\n");
  EXPECT_EQ(outcome, CloseOutcome::cancelled);
  EXPECT_FALSE(host.close_sequence().closing());
  EXPECT_FALSE(platform.frame_destroyed);
  EXPECT_EQ(platform.end_run_calls, 0);
}

TEST_F(Frame, NoAtThePromptEndsTheRunWhileItWaits) {
  std::optional<CloseOutcome> outcome;
  platform.answers = {Answer::no};
  queue_close(&outcome);
  // The run-time's end_run (status 0) never returns into the read.
  EXPECT_THROW(read_line(), RunEnded);
  EXPECT_EQ(platform.end_run_calls, 1);
  EXPECT_TRUE(host.close_sequence().closing());
  EXPECT_EQ(platform.calls("destroy_frame").size(), 1u);
  EXPECT_TRUE(platform.files.empty());
  EXPECT_EQ(host.phase(), Phase::ended);
}

TEST_F(Frame, YesAtThePromptSavesThenEndsTheRun) {
  std::optional<CloseOutcome> outcome;
  platform.answers = {Answer::yes};
  platform.save_choices = {SaveChoice{"C:\\out\\log.txt", "log.txt"}};
  queue_close(&outcome);
  EXPECT_THROW(read_line(), RunEnded);
  EXPECT_EQ(platform.files["C:\\out\\log.txt"], " ENTER FILENAME FOR INPUT DATA\r\n");
  EXPECT_EQ(platform.io_title, "");  // the prompt's save keeps the title
  EXPECT_EQ(platform.end_run_calls, 1);
}

TEST_F(Frame, YesThenCancelInTheSaveDialogCancelsTheClose) {
  std::optional<CloseOutcome> outcome;
  platform.answers = {Answer::yes};
  platform.save_choices = {std::nullopt};
  queue_close(&outcome);
  queue_typing("x\r");
  EXPECT_EQ(read_line(), "x\r\n");
  EXPECT_EQ(outcome, CloseOutcome::cancelled);
  EXPECT_FALSE(platform.frame_destroyed);
  EXPECT_EQ(platform.end_run_calls, 0);
}

TEST_F(Frame, YesWithAFailedSaveCancelsTheClose) {
  name_save_file("A:\\full.txt");
  platform.uncreatable = {"A:\\full.txt"};
  platform.answers = {Answer::yes};
  EXPECT_EQ(host.on_close(), CloseOutcome::cancelled);
  EXPECT_EQ(platform.message_texts, (Lines{"Save the Input/Output window?", "Cannot create file"}));
  EXPECT_FALSE(host.state().saved);
}

TEST_F(Frame, SavedTextClosesWithoutAPrompt) {
  host.state().saved = true;
  EXPECT_THROW(host.on_close(), RunEnded);
  EXPECT_TRUE(platform.message_texts.empty());
}

TEST_F(Frame, ACloseOnceTheSequenceBeganIsLeftToDefaultProcessing) {
  host.state().saved = true;
  EXPECT_THROW(host.on_close(), RunEnded);
  platform.clear_trace();
  EXPECT_EQ(host.on_close(), CloseOutcome::destroy_by_default);
  EXPECT_TRUE(platform.trace.empty());
}

TEST_F(Frame, ClosingAfterTheProgramEndedLetsFinishReturn) {
  std::optional<CloseOutcome> outcome;
  platform.answers = {Answer::no};
  platform.waiting.push_back({PumpEvent::dispatched, nullptr});  // some repaint
  queue_close(&outcome);
  host.finish(0);
  EXPECT_EQ(outcome, CloseOutcome::finished_run);
  EXPECT_EQ(platform.end_run_calls, 0);
  EXPECT_TRUE(platform.frame_destroyed);
  EXPECT_EQ(host.phase(), Phase::ended);
}

// The process's status after finish is the run-time's own: the host ends
// nothing itself once the program has finished.
TEST_F(Frame, AfterAFatalErrorTheStatusStaysTheRunTimes) {
  auto runtime_exit = [this](int32_t status) {
    host.finish(status);  // the run-time's exit path: finish, then exit
    return status;
  };
  std::optional<CloseOutcome> outcome;
  host.state().saved = true;
  queue_close(&outcome);
  EXPECT_EQ(runtime_exit(-1), -1);
  EXPECT_EQ(outcome, CloseOutcome::finished_run);
  EXPECT_EQ(platform.end_run_calls, 0);
}

TEST_F(Frame, CancelAfterTheProgramEndedKeepsTheWindow) {
  std::optional<CloseOutcome> outcome;
  platform.answers = {Answer::cancel};
  queue_close(&outcome);
  EXPECT_THROW(host.finish(0), WouldBlock);  // still pumping
  EXPECT_EQ(outcome, CloseOutcome::cancelled);
  EXPECT_FALSE(platform.frame_destroyed);
}

TEST_F(Frame, TimerMessagesReachTheirSlotsRoutine) {
  static int ticks = 0;
  ticks = 0;
  int32_t id = 7, interval = 50;
  ASSERT_EQ(host.services().start_timer(&id, &interval, [] { ++ticks; }), 1);
  EXPECT_TRUE(host.on_timer(7));
  EXPECT_EQ(ticks, 1);
  EXPECT_FALSE(host.on_timer(8));
  int32_t other = 9;
  host.services().start_timer(&other, &interval, nullptr);
  EXPECT_FALSE(host.on_timer(9));  // no routine: default processing
  EXPECT_FALSE(host.on_timer(0));  // a free slot holds no timer
}

TEST_F(Frame, UserCommandsCallTheirRoutineWithTheCheckMark) {
  static int32_t seen = -1;
  int32_t menu = 1, flags = 0;
  host.services().append_menu_item(&menu, &flags, "Run", [](int32_t* checked) { seen = *checked; });
  platform.checked_items[800] = true;
  EXPECT_EQ(host.on_command(800), FrameAction::default_processing);
  EXPECT_EQ(seen, 1);
  platform.checked_items[800] = false;
  host.on_command(800);
  EXPECT_EQ(seen, 0);
  seen = -1;
  host.on_command(801);  // not yet given out
  EXPECT_EQ(seen, -1);
}

}  // namespace
}  // namespace tova::host::testing
