// Copy, Cut, Paste and Delete through the selection.
#include "host/core/paste_keys.h"
#include "tests/host/core/support/host_fixture.h"

namespace tova::host::testing {
namespace {

class Clipboard : public HostTest {
 protected:
  void SetUp() override {
    open_window(20, 80);
    output("ABCDEF");
  }
  void select(int64_t line, int64_t start, int64_t end) {
    int32_t y = static_cast<int32_t>(line) * kCellHeight;
    io().on_mouse_down(static_cast<int32_t>(start) * kCellWidth, y);
    io().on_mouse_move(static_cast<int32_t>(end) * kCellWidth, y);
    io().on_mouse_up();
  }
};

TEST_F(Clipboard, CopyPutsTheSelectedColumnsOnTheClipboard) {
  select(0, 2, 5);
  EXPECT_EQ(host.on_command(kCmdCopy), FrameAction::default_processing);
  EXPECT_EQ(platform.clipboard, "CDE");
  EXPECT_TRUE(platform.menu_enabled[kCmdPaste]);
  EXPECT_EQ(lines(), Lines{"ABCDEF"});
  EXPECT_TRUE(io().selection());
}

TEST_F(Clipboard, CutLeavesTheRestOfTheLine) {
  host.state().saved = true;
  select(0, 2, 5);
  host.on_command(kCmdCut);
  EXPECT_EQ(platform.clipboard, "CDE");
  EXPECT_EQ(lines(), Lines{"ABF"});
  EXPECT_FALSE(io().selection());
  EXPECT_FALSE(host.state().saved);
  EXPECT_FALSE(platform.menu_enabled[kCmdCut]);
  EXPECT_FALSE(platform.menu_enabled[kCmdCopy]);
  EXPECT_FALSE(platform.menu_enabled[kCmdDelete]);
  EXPECT_TRUE(platform.menu_enabled[kCmdPaste]);
}

TEST_F(Clipboard, AFailedCopyCutsNothingAndLeavesPasteAsItWas) {
  platform.clipboard_fails = true;
  select(0, 1, 3);
  host.on_command(kCmdCut);
  EXPECT_EQ(lines(), Lines{"ABCDEF"});
  EXPECT_EQ(platform.menu_enabled.count(kCmdPaste), 0u);
  EXPECT_FALSE(host.edit_commands().copy());
}

TEST_F(Clipboard, CopyWithoutASelectionDoesNothing) {
  EXPECT_FALSE(host.edit_commands().copy());
  EXPECT_TRUE(platform.calls("set_clipboard").empty());
}

TEST_F(Clipboard, DeleteRemovesTheSelectionAndShiftsLaterLines) {
  output("next");
  select(0, 0, 2);
  host.on_command(kCmdDelete);
  EXPECT_EQ(lines(), (Lines{"CDEF", "next"}));
  EXPECT_TRUE(platform.calls("set_clipboard").empty());
}

TEST_F(Clipboard, DeletingLeftOfTheCaretMovesItByTheSelectionsWidth) {
  type("0123456789");  // the open line, window line 1; caret at 10
  select(1, 2, 5);
  host.on_command(kCmdDelete);
  EXPECT_EQ(lines()[1], "0156789");
  EXPECT_EQ(io().caret_col(), 7);
}

TEST_F(Clipboard, DeletingAcrossTheCaretPutsItAtTheStart) {
  type("0123456789");
  for (int i = 0; i < 6; ++i) io().on_key(Key::left);  // caret at 4
  select(1, 2, 6);
  host.on_command(kCmdDelete);
  EXPECT_EQ(lines()[1], "016789");
  EXPECT_EQ(io().caret_col(), 2);
}

TEST_F(Clipboard, DeletingRightOfTheCaretLeavesIt) {
  type("0123456789");
  for (int i = 0; i < 8; ++i) io().on_key(Key::left);  // caret at 2
  select(1, 4, 6);
  host.on_command(kCmdDelete);
  EXPECT_EQ(io().caret_col(), 2);
}

TEST_F(Clipboard, PasteReleasesTheReadWithTheLineStillOpen) {
  platform.clipboard = std::string("12\r34");
  platform.waiting.push_back({PumpEvent::dispatched, [this] { host.on_command(kCmdPaste); }});
  EXPECT_EQ(read_line(), "34\r\n");
  EXPECT_EQ(lines(), (Lines{"ABCDEF", "12", "34"}));
  EXPECT_FALSE(io().fresh_row());
}

// A file name copied from an editor ends in CR LF: the LF was typed into
// the name and the run ended with "Bad file specification".
TEST_F(Clipboard, EachLineEndOfAPasteIsOneEnterAndNoControlCharacterIsTyped) {
  EXPECT_EQ(paste_keys("a\tb\bc\x1b\x7f"
                       "d"),
            "a\tbcd");
  EXPECT_EQ(paste_keys("1\r\n2\n3\r4\r\n\r\n"), "1\r2\r3\r4\r\r");
  platform.clipboard = std::string("meadow.dat\r\n");
  platform.waiting.push_back({PumpEvent::dispatched, [this] { host.on_command(kCmdPaste); }});
  EXPECT_EQ(read_line(), "meadow.dat\r\n");
  EXPECT_EQ(lines(), (Lines{"ABCDEF", "meadow.dat"}));
  EXPECT_TRUE(io().fresh_row());
}

TEST_F(Clipboard, EveryByteValuePastesAsTypingItWould) {
  for (int c = 0; c < 256; ++c) {
    std::string keys = paste_keys(std::string(1, static_cast<char>(c)));
    bool typed = c == 9 || (c >= 32 && c != 127);
    bool line_end = c == 10 || c == 13;
    EXPECT_EQ(keys, typed ? std::string(1, static_cast<char>(c)) : line_end ? "\r" : "") << c;
  }
}

// Paste was grayed until something had been copied inside the window.
TEST_F(Clipboard, PasteFollowsTheClipboardWhenAMenuOpens) {
  platform.clipboard = "from an editor";
  host.on_menu_opening();
  EXPECT_TRUE(platform.menu_enabled[kCmdPaste]);
  platform.clipboard.reset();
  host.on_menu_opening();
  EXPECT_FALSE(platform.menu_enabled[kCmdPaste]);
}

TEST_F(Clipboard, ALineSelectionAcrossLinesIsCopiedWithCrLfButNotCut) {
  output("GHI");
  io().on_mouse_down(3 * kCellWidth, 0);
  io().on_mouse_move(2 * kCellWidth, kCellHeight);
  io().on_mouse_up();
  EXPECT_FALSE(platform.menu_enabled[kCmdCut]);
  EXPECT_FALSE(platform.menu_enabled[kCmdDelete]);
  host.on_command(kCmdCut);
  EXPECT_EQ(lines(), (Lines{"ABCDEF", "GHI"}));
  host.on_command(kCmdCopy);
  EXPECT_EQ(platform.clipboard, "DEF\r\nGH");
  host.on_command(kCmdSelectAll);
  host.on_command(kCmdCopy);
  EXPECT_EQ(platform.clipboard, "ABCDEF\r\nGHI");
}

TEST_F(Clipboard, PasteFeedsAtMost1024Characters) {
  platform.clipboard = std::string(1500, 'p');
  host.edit_commands().paste();
  EXPECT_EQ(lines()[1], std::string(1024, 'p'));
}

TEST_F(Clipboard, PasteWithoutTextDoesNothing) {
  platform.clipboard = std::nullopt;
  host.edit_commands().paste();
  EXPECT_EQ(lines(), Lines{"ABCDEF"});
}

}  // namespace
}  // namespace tova::host::testing
