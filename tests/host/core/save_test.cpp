// The saved text file's bytes, Save and Save As, and the failures that keep
// the text unsaved.
#include "host/core/save_format.h"
#include "tests/host/core/support/host_fixture.h"

namespace tova::host::testing {
namespace {

class Save : public HostTest {
 protected:
  void SetUp() override {
    open_window(20, 80);
    output("A");
    output("");
    output("BC");
  }
};

// The save command on a store of its own, as the host gives it one.
class SaveFormat : public ::testing::Test {
 protected:
  FakePlatform platform;
  TextStore store;
  HostState state;
  SaveCommand save{platform, store, state};

  std::string saved_bytes() {
    platform.save_choices = {SaveChoice{"out.txt", "out.txt"}};
    save.save();
    EXPECT_TRUE(state.saved);
    return platform.files.at("out.txt");
  }
};

TEST_F(SaveFormat, EachLineEndsInCrLf) {
  store.append_line("A");
  store.append_line("");
  store.append_line("BC");
  EXPECT_EQ(saved_bytes(), std::string("A\r\n\r\nBC\r\n"));
  EXPECT_EQ(text_file_line("BC"), "BC\r\n");
}

TEST_F(SaveFormat, AnEmptyStoreGivesAnEmptyFile) {
  EXPECT_EQ(saved_bytes(), "");
}

TEST_F(SaveFormat, EveryByteIsWrittenAsStored) {
  for (int c = 0; c < 256; ++c) store.append_line(std::string(1, static_cast<char>(c)));
  std::string bytes = saved_bytes();
  ASSERT_EQ(bytes.size(), 256u * 3);
  for (int c = 0; c < 256; ++c) {
    EXPECT_EQ(bytes.substr(static_cast<size_t>(c) * 3, 3),
              std::string(1, static_cast<char>(c)) + "\r\n")
        << "byte " << c;
  }
}

TEST_F(Save, SaveAsksForANameTheFirstTimeAndSetsTheTitle) {
  platform.save_choices = {SaveChoice{"C:\\runs\\first.txt", "first.txt"}};
  host.on_command(kCmdSave);
  EXPECT_EQ(platform.calls("save_dialog"), Lines{"save_dialog "});
  EXPECT_EQ(platform.files["C:\\runs\\first.txt"], "A\r\n\r\nBC\r\n");
  EXPECT_EQ(platform.io_title, "first.txt");
  EXPECT_TRUE(host.state().saved);
  EXPECT_EQ(host.save_command().name(), "C:\\runs\\first.txt");
}

TEST_F(Save, SaveWithAKnownNameWritesAtOnceAndKeepsTheTitle) {
  name_save_file("known.txt");
  host.on_command(kCmdSave);
  EXPECT_TRUE(platform.calls("save_dialog").empty());
  EXPECT_TRUE(platform.calls("title").empty());
  EXPECT_EQ(platform.files["known.txt"], "A\r\n\r\nBC\r\n");
}

TEST_F(Save, SaveAsAlwaysAsksStartingWithTheLastName) {
  name_save_file("old.txt");
  platform.save_choices = {SaveChoice{"D:\\new.txt", "new.txt"}};
  host.on_command(kCmdSaveAs);
  EXPECT_EQ(platform.calls("save_dialog"), Lines{"save_dialog old.txt"});
  EXPECT_EQ(platform.io_title, "new.txt");
  EXPECT_EQ(platform.files.count("D:\\new.txt"), 1u);
}

TEST_F(Save, CancellingTheDialogChangesNothing) {
  host.on_command(kCmdSaveAs);
  EXPECT_TRUE(platform.files.empty());
  EXPECT_FALSE(host.state().saved);
  EXPECT_EQ(host.save_command().name(), "");
}

TEST_F(Save, AFileThatCannotBeCreatedLeavesSavedAsItWas) {
  name_save_file("locked.txt");
  platform.uncreatable = {"locked.txt"};
  EXPECT_FALSE(host.save_command().write_file());
  EXPECT_EQ(platform.calls("message_box"), Lines{"message_box none Cannot create file"});
  EXPECT_FALSE(host.state().saved);
}

TEST_F(Save, AWriteErrorKeepsTheTextUnsavedSoClosingStillAsks) {
  name_save_file("disk.txt");
  platform.writes_before_failure = 1;
  EXPECT_FALSE(host.save_command().write_file());
  EXPECT_EQ(platform.calls("message_box"), Lines{"message_box none I/O error while writing file"});
  EXPECT_EQ(platform.files["disk.txt"], "A\r\n");  // the lines before the failure
  EXPECT_EQ(platform.calls("close_file"), Lines{"close_file disk.txt"});
  EXPECT_FALSE(host.state().saved);
  platform.answers = {Answer::cancel};
  EXPECT_EQ(host.on_close(), CloseOutcome::cancelled);
  EXPECT_EQ(platform.message_texts.back(), "Save the Input/Output window?");
}

TEST_F(Save, AnyChangeAfterSavingClearsSaved) {
  name_save_file("x.txt");
  host.save_command().write_file();
  ASSERT_TRUE(host.state().saved);
  output("more");
  EXPECT_FALSE(host.state().saved);
}

TEST_F(Save, YesAtThePromptRewritesTheKnownFile) {
  name_save_file("again.txt");
  platform.answers = {Answer::yes};
  EXPECT_TRUE(host.close_sequence().exit_prompt());
  EXPECT_TRUE(platform.calls("save_dialog").empty());
  EXPECT_EQ(platform.files["again.txt"], "A\r\n\r\nBC\r\n");
}

TEST_F(Save, ExitPromptAnswers) {
  platform.answers = {Answer::no, Answer::cancel};
  EXPECT_TRUE(host.close_sequence().exit_prompt());
  EXPECT_FALSE(host.close_sequence().exit_prompt());
  EXPECT_TRUE(platform.files.empty());
  EXPECT_EQ(platform.calls("message_box frame Save the Input/Output window?").size(), 2u);
}

}  // namespace
}  // namespace tova::host::testing
