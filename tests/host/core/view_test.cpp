// Scroll ranges, scroll requests and their clamping, and the lines a paint
// draws.
#include "tests/host/core/support/host_fixture.h"

namespace tova::host::testing {
namespace {

class View : public HostTest {
 protected:
  void SetUp() override { open_window(20, 40); }
  void output_lines(int count) {
    for (int i = 0; i < count; ++i) output("line " + std::to_string(i));
  }
};

TEST_F(View, ThirtyLinesInTwentyRowsShowLinesTwelveOnwards) {
  output_lines(30);
  EXPECT_EQ(io().view_top(), 12);
  EXPECT_EQ(io().view_top_max(), 12);
  EXPECT_EQ(platform.scroll_max[0], 12);
  EXPECT_EQ(platform.scroll_pos[0], 12);
  // Lines 12 .. 29 and two empty rows: the caret on the first of them.
  EXPECT_EQ(io().caret_row() - io().view_top(), 18);
}

TEST_F(View, ScrollRangesLeaveTwoRowsBelowTheLastLine) {
  output_lines(18);
  EXPECT_EQ(io().view_top_max(), 0);
  output_lines(1);
  EXPECT_EQ(io().view_top_max(), 1);
  EXPECT_EQ(io().view_top(), 1);
}

TEST_F(View, EnterScrollsTheShownContentsUpByOneRow) {
  output_lines(18);
  platform.clear_trace();
  output("next");
  EXPECT_EQ(platform.calls("scroll"), Lines{"scroll 0,-16"});
  EXPECT_EQ(platform.calls("update_now").size(), 1u);
}

TEST_F(View, VerticalRequestsAreClampedToTheRange) {
  output_lines(30);
  io().vertical(ScrollRequest::to_start);
  EXPECT_EQ(io().view_top(), 0);
  platform.clear_trace();
  io().vertical(ScrollRequest::line_back);
  EXPECT_EQ(io().view_top(), 0);
  EXPECT_TRUE(platform.calls("scroll").empty());  // no step, no scroll
  io().vertical(ScrollRequest::line_forward);
  EXPECT_EQ(io().view_top(), 1);
  io().vertical(ScrollRequest::page_forward);  // +20, clamped to 12
  EXPECT_EQ(io().view_top(), 12);
  io().vertical(ScrollRequest::page_back);
  EXPECT_EQ(io().view_top(), 0);
  io().vertical(ScrollRequest::thumb_position, 5);
  EXPECT_EQ(io().view_top(), 5);
  io().vertical(ScrollRequest::thumb_track, 9);  // follows on release only
  EXPECT_EQ(io().view_top(), 5);
  io().vertical(ScrollRequest::thumb_position, 99);
  EXPECT_EQ(io().view_top(), 12);
  io().vertical(ScrollRequest::thumb_position, -3);
  EXPECT_EQ(io().view_top(), 0);
  io().vertical(ScrollRequest::to_end);
  EXPECT_EQ(io().view_top(), 12);
  EXPECT_EQ(platform.scroll_pos[0], 12);
}

TEST_F(View, VerticalStepMovesContentsAndRepaintsAtOnce) {
  output_lines(30);
  io().vertical(ScrollRequest::to_start);
  platform.clear_trace();
  io().vertical(ScrollRequest::thumb_position, 7);
  EXPECT_EQ(platform.trace, (Lines{"scroll 0,-112", "position v 7", "update_now"}));
}

// The window is 20 rows by 40 columns: a longer move keeps no pixels.
TEST_F(View, AStepLargerThanTheWindowRedrawsItAll) {
  output_lines(30);
  io().vertical(ScrollRequest::to_start);
  platform.clear_trace();
  io().vertical(ScrollRequest::thumb_position, 12);  // 12 rows of 20: moved
  EXPECT_EQ(platform.calls("scroll"), Lines{"scroll 0,-192"});
  io().on_resize(40 * kCellWidth, 10 * kCellHeight);
  platform.clear_trace();
  io().vertical(ScrollRequest::to_start);  // 12 rows of 10
  EXPECT_TRUE(platform.calls("scroll").empty());
  EXPECT_EQ(platform.calls("invalidate_all"), Lines{"invalidate_all io"});
}

TEST_F(View, PageRequestsMoveAtLeastOneLine) {
  output_lines(30);
  open_window(0, 40);  // a window too low for one row
  io().vertical(ScrollRequest::to_start);
  io().vertical(ScrollRequest::page_forward);
  EXPECT_EQ(io().view_top(), 1);
  io().vertical(ScrollRequest::page_back);
  EXPECT_EQ(io().view_top(), 0);
}

TEST_F(View, HorizontalRequests) {
  output(std::string(70, 'w'));  // widest 70 in 40 columns, and the caret's cell
  EXPECT_EQ(io().view_left_max(), 31);
  io().horizontal(ScrollRequest::page_forward);
  EXPECT_EQ(io().view_left(), 8);
  io().horizontal(ScrollRequest::line_forward);
  EXPECT_EQ(io().view_left(), 9);
  io().horizontal(ScrollRequest::thumb_track, 25);  // follows the drag
  EXPECT_EQ(io().view_left(), 25);
  io().horizontal(ScrollRequest::thumb_position, 3);
  io().horizontal(ScrollRequest::to_end);
  EXPECT_EQ(io().view_left(), 25);
  io().horizontal(ScrollRequest::page_forward);
  EXPECT_EQ(io().view_left(), 31);
  io().horizontal(ScrollRequest::page_back);
  io().horizontal(ScrollRequest::line_back);
  EXPECT_EQ(io().view_left(), 22);
  platform.clear_trace();
  io().horizontal(ScrollRequest::to_start);
  EXPECT_EQ(io().view_left(), 0);
  EXPECT_EQ(platform.trace, (Lines{"scroll 176,0", "position h 0"}));
}

TEST_F(View, ResizeRecomputesRowsColumnsAndClampsTheView) {
  output_lines(30);
  io().on_resize(40 * kCellWidth + 7, 25 * kCellHeight + 15);
  EXPECT_EQ(io().rows(), 25);
  EXPECT_EQ(io().cols(), 40);
  EXPECT_EQ(io().view_top_max(), 7);
  EXPECT_EQ(io().view_top(), 7);
}

TEST_F(View, PaintDrawsOnlyTheLinesCrossingTheArea) {
  output_lines(30);  // view_top 12
  PaintPlan plan = io().paint(0, 20 * kCellHeight);
  ASSERT_EQ(plan.runs.size(), 19u);  // lines 11 .. 29
  EXPECT_EQ(plan.runs.front().text, "line 11");
  EXPECT_EQ(plan.runs.front().y, -kCellHeight);
  EXPECT_EQ(plan.runs.back().text, "line 29");
  EXPECT_EQ(plan.runs.back().y, 17 * kCellHeight);
  EXPECT_EQ(plan.caret_x, 0);
  EXPECT_EQ(plan.caret_y, 18 * kCellHeight);

  plan = io().paint(5 * kCellHeight, 6 * kCellHeight);
  ASSERT_EQ(plan.runs.size(), 3u);  // lines 16 .. 18
  EXPECT_EQ(plan.runs[0].text, "line 16");
  EXPECT_EQ(plan.runs[2].text, "line 18");
}

TEST_F(View, PaintOfAnEmptyStoreDrawsNothing) {
  PaintPlan plan = io().paint(0, 320);
  EXPECT_TRUE(plan.runs.empty());
}

TEST_F(View, PaintDrawsTheSelectionOverItsLine) {
  output("hello world");
  io().horizontal(ScrollRequest::to_start);
  io().on_mouse_down(6 * kCellWidth, 0);
  io().on_mouse_move(6 * kCellWidth, 0);
  io().on_mouse_move(11 * kCellWidth, 0);
  PaintPlan plan = io().paint(0, 320);
  ASSERT_EQ(plan.runs.size(), 2u);
  EXPECT_FALSE(plan.runs[0].selected);
  EXPECT_TRUE(plan.runs[1].selected);
  EXPECT_EQ(plan.runs[1].text, "world");
  EXPECT_EQ(plan.runs[1].x, 6 * kCellWidth);
}

TEST_F(View, PaintShiftsLinesByTheHorizontalView) {
  output(std::string(50, 'a') + "END");
  io().horizontal(ScrollRequest::thumb_track, 10);
  PaintPlan plan = io().paint(0, 16);
  ASSERT_EQ(plan.runs.size(), 1u);
  EXPECT_EQ(plan.runs[0].x, -10 * kCellWidth);
}

TEST_F(View, InvalidateSelectionOnlyWithinTheView) {
  output_lines(30);  // view_top 12, rows 20
  io().vertical(ScrollRequest::to_start);
  io().on_mouse_down(kCellWidth, 2 * kCellHeight);
  io().on_mouse_move(4 * kCellWidth, 2 * kCellHeight);
  platform.clear_trace();
  io().invalidate_selection();
  EXPECT_EQ(platform.calls("invalidate"), Lines{"invalidate io 8,32,32,48"});
  io().vertical(ScrollRequest::line_forward);
  io().vertical(ScrollRequest::line_forward);
  platform.clear_trace();
  io().invalidate_selection();  // line 2 at view_top 2: still shown
  EXPECT_EQ(platform.calls("invalidate"), Lines{"invalidate io 8,0,32,16"});
  io().vertical(ScrollRequest::line_forward);
  platform.clear_trace();
  io().invalidate_selection();  // above the view
  EXPECT_TRUE(platform.calls("invalidate").empty());
}

// Line counts and positions beyond 16 bits are kept exactly.
TEST_F(View, MoreThanSixtyFiveThousandLines) {
  const int kLines = 70000;
  for (int i = 0; i < kLines; ++i) {
    output("row " + std::to_string(i));
    if (i % 4096 == 0) platform.clear_trace();
  }
  EXPECT_EQ(store().line_count(), static_cast<size_t>(kLines));
  EXPECT_EQ(io().view_top(), kLines - 18);
  EXPECT_EQ(platform.scroll_max[0], kLines - 18);
  io().vertical(ScrollRequest::thumb_position, 66000);
  EXPECT_EQ(io().view_top(), 66000);
  PaintPlan plan = io().paint(0, 16);
  ASSERT_EQ(plan.runs.size(), 3u);  // from the row above the area
  EXPECT_EQ(plan.runs[0].text, "row 65999");
  EXPECT_EQ(plan.runs[1].text, "row 66000");
  EXPECT_EQ(plan.runs[1].y, 0);
  io().vertical(ScrollRequest::to_start);
  io().vertical(ScrollRequest::to_end);
  EXPECT_EQ(io().view_top(), kLines - 18);
}

TEST_F(View, OutputFarBelowTheViewScrollsToTheBottomFirst) {
  output_lines(30);
  io().vertical(ScrollRequest::to_start);
  output("new");
  EXPECT_EQ(io().view_top(), 13);
}

TEST_F(View, TheWheelScrollsByLinesWithinTheRange) {
  output_lines(30);  // view_top 12
  io().scroll_lines(-3);
  EXPECT_EQ(io().view_top(), 9);
  io().scroll_lines(-100);
  EXPECT_EQ(io().view_top(), 0);
  io().scroll_lines(100);
  EXPECT_EQ(io().view_top(), 12);
  EXPECT_EQ(platform.scroll_pos[0], 12);
  io().on_wheel(2, 3);  // away from the user: towards the start
  EXPECT_EQ(io().view_top(), 6);
  io().on_wheel(-1, kWheelPage);
  EXPECT_EQ(io().view_top(), 12);  // 20 rows, clamped
  io().on_wheel(1, kWheelPage);
  EXPECT_EQ(io().view_top(), 0);
}

// A screen of another scale: a new cell size keeps the text and the caret.
TEST_F(View, ANewCellSizeKeepsTheStateAndRecountsRowsAndColumns) {
  output_lines(30);
  io().set_cell_size(kCellWidth * 3 / 2, kCellHeight * 3 / 2);
  EXPECT_EQ(io().rows(), 20 * 2 / 3);
  EXPECT_EQ(io().cols(), 40 * 2 / 3);
  EXPECT_EQ(io().caret_row(), 30);
  EXPECT_EQ(io().view_top_max(), 30 - 13 + 2);
  EXPECT_EQ(store().line_count(), 30u);
}

TEST_F(View, FocusCreatesAndDestroysTheCaret) {
  io().on_focus(true);
  io().on_focus(false);
  EXPECT_EQ(platform.trace,
            (Lines{"create_caret 8x16", "caret 0,0", "show_caret", "hide_caret", "destroy_caret"}));
}

}  // namespace
}  // namespace tova::host::testing
