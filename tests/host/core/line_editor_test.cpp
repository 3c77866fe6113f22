// The line editor of the Input/Output window: typed characters, Tab,
// Backspace, Enter, the editing keys, and output arriving meanwhile.
#include "tests/host/core/support/host_fixture.h"

namespace tova::host::testing {
namespace {

class LineEditor : public HostTest {
 protected:
  void SetUp() override { open_window(20, 80); }
};

TEST_F(LineEditor, TypedCharactersOpenTheLastLineAndInsert) {
  type("ac");
  io().on_key(Key::left);
  type("b");
  EXPECT_EQ(lines(), Lines{"abc"});
  EXPECT_FALSE(io().fresh_row());
  EXPECT_EQ(io().caret_col(), 2);
  EXPECT_EQ(io().caret_row(), 0);
  EXPECT_EQ(platform.caret_x, 2 * kCellWidth);
  EXPECT_EQ(store().widest_line(), 3u);
}

// The whole conversation with the platform for one typed character and
// Enter, as a golden trace.
TEST_F(LineEditor, TraceOfATypedLine) {
  type("a\r");
  EXPECT_EQ(platform.trace, (Lines{
                                "gray 610", "gray 611", "gray 613",  // no selection now
                                "invalidate io 0,0,640,16",          // the blank opened
                                "draw 0,0 a",                        // the cell at once
                                "caret 8,0",                         //
                                "gray 610", "gray 611", "gray 613",  // Enter
                                "caret 0,16",                        // on the fresh row
                            }));
}

TEST_F(LineEditor, TraceOfAnOutputLine) {
  output("OK\r\n");
  EXPECT_EQ(platform.trace, (Lines{
                                "range v 0", "position v 0",  // the view follows the output
                                "range h 0", "position h 0",  //
                                "invalidate io 0,0,640,320",  // from its row down
                                "update_now",                 // painted once
                                "caret 0,16",                 // on the row below
                                "pump_pending",               // then the write pumps
                            }));
}

TEST_F(LineEditor, TypedCharacterIsDrawnInItsCellAtOnce) {
  type("ab");
  EXPECT_EQ(platform.calls("draw"), (Lines{"draw 0,0 a", "draw 8,0 b"}));
}

// Ctrl+S then Enter used to put a control character into the file name.
TEST_F(LineEditor, EveryPrintableByteIsInsertedAndNoControlCharacter) {
  std::string expected;
  for (int c = 0; c < 256; ++c) {
    if (c == 8 || c == 9 || c == 13) continue;  // Backspace, Tab, Enter
    io().on_char(static_cast<uint8_t>(c));
    if (c >= 32 && c != 127) expected.push_back(static_cast<char>(c));
  }
  EXPECT_EQ(lines(), Lines{expected});
  EXPECT_EQ(io().caret_col(), static_cast<int64_t>(expected.size()));
}

TEST_F(LineEditor, TabInsertsBlanksToTheNextMultipleOfEight) {
  type("\t");
  EXPECT_EQ(lines(), Lines{std::string(8, ' ')});
  type("\r");
  type("abcde\t");
  EXPECT_EQ(lines()[1], "abcde   ");
  EXPECT_EQ(io().caret_col(), 8);
  type("\t");
  EXPECT_EQ(lines()[1], "abcde" + std::string(11, ' '));
  EXPECT_EQ(io().caret_col(), 16);
}

TEST_F(LineEditor, BackspaceDeletesBeforeTheCaretButNeverJoinsLines) {
  type("abc");
  io().on_key(Key::left);
  type("\b");
  EXPECT_EQ(lines(), Lines{"ac"});
  EXPECT_EQ(io().caret_col(), 1);
  type("\b\b");
  EXPECT_EQ(lines(), Lines{"c"});
  EXPECT_EQ(io().caret_col(), 0);
  type("\r\b");
  EXPECT_EQ(lines(), Lines{"c"});
  EXPECT_TRUE(io().fresh_row());
  EXPECT_EQ(io().caret_col(), 0);
}

TEST_F(LineEditor, RightStopsAtTheEndOfTheLine) {
  type("ab");
  io().on_key(Key::right);
  EXPECT_EQ(io().caret_col(), 2);
  io().on_key(Key::left);
  io().on_key(Key::left);
  io().on_key(Key::left);
  EXPECT_EQ(io().caret_col(), 0);
  io().on_key(Key::right);
  EXPECT_EQ(io().caret_col(), 1);
}

TEST_F(LineEditor, DeleteAtTheEndOfTheLineChangesNothing) {
  type("ab");
  host.state().saved = true;
  io().on_key(Key::del);
  EXPECT_EQ(lines(), Lines{"ab"});
  EXPECT_TRUE(host.state().saved);
  io().on_key(Key::left);
  io().on_key(Key::del);
  EXPECT_EQ(lines(), Lines{"a"});
  EXPECT_FALSE(host.state().saved);
}

TEST_F(LineEditor, RightDeleteAndInsertDoNothingOnAFreshRow) {
  type("ab\r");
  host.state().saved = true;
  io().on_key(Key::right);
  io().on_key(Key::del);
  io().on_key(Key::insert);
  EXPECT_EQ(lines(), Lines{"ab"});
  EXPECT_EQ(io().caret_col(), 0);
  EXPECT_TRUE(io().fresh_row());
  EXPECT_TRUE(host.state().saved);
}

TEST_F(LineEditor, InsertKeyOpensABlankAtTheCaret) {
  type("ab");
  io().on_key(Key::left);
  platform.clear_trace();
  io().on_key(Key::insert);
  EXPECT_EQ(lines(), Lines{"a b"});
  EXPECT_EQ(io().caret_col(), 1);
  // From the caret cell to the right edge of the window.
  EXPECT_EQ(platform.calls("invalidate"), Lines{"invalidate io 8,0,640,16"});
}

TEST_F(LineEditor, ArrowsAndPageKeysNeverMoveTheCaretRow) {
  for (int i = 0; i < 40; ++i) output("line");
  type("x");
  int64_t row = io().caret_row();
  for (Key key : {Key::up, Key::page_up, Key::home, Key::down, Key::page_down, Key::end}) {
    io().on_key(key);
    EXPECT_EQ(io().caret_row(), row);
  }
}

TEST_F(LineEditor, EnterOnAnEmptyRowAddsAnEmptyLine) {
  host.state().saved = true;
  type("\r");
  EXPECT_EQ(lines(), Lines{""});
  EXPECT_TRUE(io().fresh_row());
  EXPECT_EQ(io().caret_row(), 1);
  // An opened line alone is no change to the saved text.
  EXPECT_TRUE(host.state().saved);
}

TEST_F(LineEditor, EnterClosesTheOpenLineAndClearsReadWaiting) {
  io().set_read_waiting(true);
  type("abc");
  EXPECT_TRUE(io().read_waiting());
  type("\r");
  EXPECT_FALSE(io().read_waiting());
  EXPECT_EQ(lines(), Lines{"abc"});
  EXPECT_EQ(io().caret_row(), 1);
  EXPECT_EQ(io().caret_col(), 0);
}

TEST_F(LineEditor, TypingClearsSaved) {
  host.state().saved = true;
  type("a");
  EXPECT_FALSE(host.state().saved);
}

// A 115-character answer in a 72-column window used to leave the caret and
// the last characters past the right edge.
TEST_F(LineEditor, TheViewFollowsTheCaretPastTheRightEdgeAndBack) {
  open_window(20, 72);
  for (int typed = 1; typed <= 115; ++typed) {
    type("x");
    ASSERT_GE(io().caret_col(), io().view_left()) << typed;
    ASSERT_LT(io().caret_col(), io().view_left() + io().cols()) << typed;
  }
  EXPECT_EQ(io().view_left(), 115 - 72 + 1);
  EXPECT_EQ(io().view_left_max(), 115 - 72 + 1);  // one column for the caret at the end
  EXPECT_EQ(platform.caret_x, 71 * kCellWidth);
  for (int i = 0; i < 100; ++i) io().on_key(Key::left);
  EXPECT_EQ(io().view_left(), 15);
  EXPECT_EQ(platform.caret_x, 0);
  type("\b");  // Backspace at column 14
  EXPECT_EQ(io().view_left(), 14);
  type("\r");
  EXPECT_EQ(io().view_left(), 0);
}

// Typing while minimized left the view shifted after the restore.
TEST_F(LineEditor, TypingWhileMinimizedShowsTheCaretAfterTheRestore) {
  open_window(20, 40);
  output("PROMPT");
  io().on_resize(0, 0);
  type(std::string(30, 'y'));
  EXPECT_EQ(io().view_left(), 0);
  io().on_resize(40 * kCellWidth, 20 * kCellHeight);
  EXPECT_EQ(io().view_left(), 0);
  EXPECT_EQ(platform.caret_x, 30 * kCellWidth);
  io().on_resize(0, 0);
  type(std::string(30, 'z'));
  io().on_resize(40 * kCellWidth, 20 * kCellHeight);
  EXPECT_EQ(io().view_left(), 60 - 40 + 1);
  EXPECT_EQ(platform.caret_x, 39 * kCellWidth);
}

TEST_F(LineEditor, EveryCharacterRemovesTheSelection) {
  output("hello");
  io().on_mouse_down(0, 0);
  io().on_mouse_move(8, 0);
  io().on_mouse_move(24, 0);
  io().on_mouse_up();
  ASSERT_TRUE(io().selection());
  EXPECT_TRUE(platform.menu_enabled[kCmdCopy]);
  type("z");
  EXPECT_FALSE(io().selection());
  EXPECT_FALSE(platform.menu_enabled[kCmdCut]);
  EXPECT_FALSE(platform.menu_enabled[kCmdCopy]);
  EXPECT_FALSE(platform.menu_enabled[kCmdDelete]);
}

TEST_F(LineEditor, OutputLineClosesAFreshRowAndMovesTheCaretBelow) {
  output("first\r\n");
  EXPECT_EQ(lines(), Lines{"first"});
  EXPECT_TRUE(io().fresh_row());
  EXPECT_EQ(io().caret_row(), 1);
  EXPECT_EQ(io().caret_col(), 0);
}

// Output while the user has typed part of a line ahead: the output goes above
// the open line, which keeps its text and the caret.
TEST_F(LineEditor, OutputGoesAboveALineTypedAhead) {
  output("prompt");
  type("ab");
  output("report 1");
  output("report 2");
  EXPECT_EQ(lines(), (Lines{"prompt", "report 1", "report 2", "ab"}));
  EXPECT_FALSE(io().fresh_row());
  EXPECT_EQ(io().caret_row(), 3);
  EXPECT_EQ(io().caret_col(), 2);
  EXPECT_EQ(platform.caret_y, 3 * kCellHeight);
  type("c\r");
  EXPECT_EQ(lines(), (Lines{"prompt", "report 1", "report 2", "abc"}));
  EXPECT_TRUE(io().fresh_row());
  EXPECT_EQ(io().caret_row(), 4);
}

TEST_F(LineEditor, LineTypedAheadIsHandedToTheNextRead) {
  output("prompt");
  type("ab");
  output("more output");
  queue_typing("c\r");
  EXPECT_EQ(read_line(), "abc\r\n");
}

}  // namespace
}  // namespace tova::host::testing
