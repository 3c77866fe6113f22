// The mouse selection of the Input/Output window and the Edit-menu states
// that go with it.
#include "tests/host/core/support/host_fixture.h"

namespace tova::host::testing {
namespace {

class MouseSelection : public HostTest {
 protected:
  void SetUp() override {
    open_window(20, 40);
    output("hello world");
    output("second line");
  }
  static int32_t x(int64_t column) { return static_cast<int32_t>(column) * kCellWidth + 3; }
  static int32_t y(int64_t line) { return static_cast<int32_t>(line) * kCellHeight + 5; }
  void drag(int64_t line, std::initializer_list<int64_t> columns) {
    io().on_mouse_down(x(*columns.begin()), y(line));
    for (int64_t column : columns) io().on_mouse_move(x(column), y(line));
    io().on_mouse_up();
  }
  void expect_selection(int64_t line, int64_t start, int64_t end) {
    ASSERT_TRUE(io().selection());
    EXPECT_EQ(io().selection()->line, line);
    EXPECT_EQ(io().selection()->start, start);
    EXPECT_EQ(io().selection()->end, end);
  }
};

TEST_F(MouseSelection, DragSelectsAndReleaseEnablesTheEditItems) {
  drag(0, {2, 5});
  expect_selection(0, 2, 5);
  EXPECT_EQ(io().selected_text(), "llo");
  EXPECT_FALSE(io().dragging());
  EXPECT_TRUE(platform.menu_enabled[kCmdCut]);
  EXPECT_TRUE(platform.menu_enabled[kCmdCopy]);
  EXPECT_TRUE(platform.menu_enabled[kCmdDelete]);
}

TEST_F(MouseSelection, ButtonDownRemovesTheSelectionAndGrays) {
  drag(0, {2, 5});
  io().on_mouse_down(x(0), y(0));
  expect_selection(0, 0, 0);  // empty, where the button went down
  EXPECT_TRUE(io().dragging());
  EXPECT_FALSE(platform.menu_enabled[kCmdCopy]);
}

// A quick drag lost its first character: the selection began at the first move.
TEST_F(MouseSelection, TheSelectionRunsFromWhereTheButtonWentDown) {
  io().on_mouse_down(x(0), y(0));
  io().on_mouse_move(x(3), y(0));
  io().on_mouse_up();
  EXPECT_EQ(io().selected_text(), "hel");
  io().on_mouse_down(x(6), y(0));
  io().on_mouse_move(x(8), y(0));
  io().on_mouse_move(x(2), y(0));  // back past the anchor
  expect_selection(0, 2, 6);
}

TEST_F(MouseSelection, TheEndStopsAtTheLineEnd) {
  drag(0, {3, 30});
  expect_selection(0, 3, 11);
}

TEST_F(MouseSelection, ADragAcrossLinesSelectsFromPointToPoint) {
  io().on_mouse_down(x(6), y(0));
  io().on_mouse_move(x(6), y(1));
  io().on_mouse_up();
  ASSERT_TRUE(io().selection());
  EXPECT_EQ(io().selection()->last_line, 1);
  EXPECT_EQ(io().selected_text(), "world\r\nsecond");
  EXPECT_TRUE(platform.menu_enabled[kCmdCopy]);
  EXPECT_FALSE(platform.menu_enabled[kCmdCut]);
  io().on_mouse_down(x(20), y(9));  // below the last line: its end
  io().on_mouse_move(x(20), y(0));  // beyond a line: its end
  EXPECT_EQ(io().selected_text(), "\r\nsecond line");
}

TEST_F(MouseSelection, ShiftClickAndShiftArrowsMoveTheSelectionsEnd) {
  drag(0, {2, 5});
  io().on_mouse_down(x(3), y(1), true);
  io().on_mouse_up();
  EXPECT_EQ(io().selected_text(), "llo world\r\nsec");
  io().on_key(Key::left, true);
  EXPECT_EQ(io().selected_text(), "llo world\r\nse");
  io().on_key(Key::up, true);  // back on the anchor: nothing is left
  EXPECT_FALSE(io().selection());
  EXPECT_FALSE(platform.menu_enabled[kCmdCopy]);
}

TEST_F(MouseSelection, ReleaseWithoutExtentRemovesTheSelection) {
  drag(0, {4});
  EXPECT_FALSE(io().selection());
  EXPECT_FALSE(platform.menu_enabled[kCmdCopy]);
}

TEST_F(MouseSelection, MovesWithoutTheButtonDoNothing) {
  io().on_mouse_move(x(2), y(0));
  EXPECT_FALSE(io().selection());
}

TEST_F(MouseSelection, DoubleClickSelectsTheWord) {
  io().on_double_click(x(7), y(0));
  expect_selection(0, 6, 11);
  EXPECT_EQ(io().selected_text(), "world");
  EXPECT_FALSE(io().dragging());
  io().on_mouse_up();
  EXPECT_TRUE(platform.menu_enabled[kCmdCopy]);
  io().on_double_click(x(0), y(1));
  EXPECT_EQ(io().selected_text(), "second");
}

TEST_F(MouseSelection, DoubleClickOnABlankTakesTheWordBeforeIt) {
  io().on_double_click(x(5), y(0));
  expect_selection(0, 0, 5);
}

TEST_F(MouseSelection, DoubleClickBeyondTheLineOrBelowTheLastSelectsNothing) {
  drag(0, {0, 3});
  io().on_double_click(x(11), y(0));
  EXPECT_FALSE(io().selection());
  io().on_double_click(x(25), y(1));
  EXPECT_FALSE(io().selection());
  io().on_double_click(x(1), y(9));
  EXPECT_FALSE(io().selection());
  io().on_mouse_up();
  EXPECT_FALSE(platform.menu_enabled[kCmdCopy]);
}

TEST_F(MouseSelection, DeleteKeyKeepsTheSelectionWithinItsShortenedLine) {
  type("abcdef");  // the open line, window line 2
  drag(2, {3, 6});
  expect_selection(2, 3, 6);
  for (int i = 0; i < 3; ++i) io().on_key(Key::left);
  io().on_key(Key::del);
  io().on_key(Key::del);
  EXPECT_EQ(lines()[2], "abcf");
  expect_selection(2, 3, 4);
  EXPECT_EQ(io().selected_text(), "f");
  io().on_key(Key::del);
  EXPECT_FALSE(io().selection());
  EXPECT_FALSE(platform.menu_enabled[kCmdCopy]);
}

TEST_F(MouseSelection, EveryOutputLineRemovesTheSelection) {
  drag(0, {0, 4});
  output("more");
  EXPECT_FALSE(io().selection());
  EXPECT_FALSE(platform.menu_enabled[kCmdCut]);
  EXPECT_FALSE(platform.menu_enabled[kCmdDelete]);
}

}  // namespace
}  // namespace tova::host::testing
