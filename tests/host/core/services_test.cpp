// The services for the program: the Graphics window's arguments, the wait
// tick, the 100 timer slots and the user command table.
#include "host/core/services.h"

#include "tests/host/core/support/host_fixture.h"

namespace tova::host::testing {
namespace {

class ServicesTest : public HostTest {
 protected:
  Services& services() { return host.services(); }
};

TEST(GraphicsArguments, Title) {
  EXPECT_EQ(graphics_title(""), "Graphics");
  EXPECT_EQ(graphics_title("     "), "Graphics");
  EXPECT_EQ(graphics_title(std::string("\0abc", 4)), "Graphics");
  EXPECT_EQ(graphics_title("Plot   "), "Plot");
  EXPECT_EQ(graphics_title(std::string(100, 'T')), std::string(79, 'T'));
}

TEST(GraphicsArguments, MapModes) {
  EXPECT_EQ(graphics_map_mode(0), 1);
  EXPECT_EQ(graphics_map_mode(1), 1);
  for (int32_t mode = 2; mode <= 8; ++mode) EXPECT_EQ(graphics_map_mode(mode), mode);
  EXPECT_EQ(graphics_map_mode(9), 1);
  EXPECT_EQ(graphics_map_mode(-4), 1);
}

TEST_F(ServicesTest, ADefaultedSizeIsWrittenBack) {
  int32_t width = 0, height = 500, mode = 9;
  EXPECT_EQ(services().open_graphics_window(&width, &height, "      ", &mode, nullptr), 1);
  EXPECT_EQ(width, 600);
  EXPECT_EQ(height, 300);
  EXPECT_EQ(services().map_mode(), 1);
  EXPECT_EQ(platform.calls("create_graphics"), Lines{"create_graphics Graphics 600x300"});
}

TEST_F(ServicesTest, OnlyOneGraphicsWindowEver) {
  int32_t width = 200, height = 100, mode = 3;
  EXPECT_EQ(services().open_graphics_window(&width, &height, "Plot", &mode, nullptr), 1);
  int32_t other_width = 0, other_height = 0, other_mode = 5;
  EXPECT_EQ(
      services().open_graphics_window(&other_width, &other_height, "Again", &other_mode, nullptr),
      0);
  EXPECT_EQ(other_width, 0);  // nothing changed
  EXPECT_EQ(services().map_mode(), 3);
  EXPECT_EQ(platform.calls("create_graphics").size(), 1u);
}

TEST_F(ServicesTest, AFailedCreationMayBeTriedAgain) {
  int32_t width = 10, height = 10, mode = 1;
  platform.graphics_fails = true;
  EXPECT_EQ(services().open_graphics_window(&width, &height, "P", &mode, nullptr), 0);
  platform.graphics_fails = false;
  EXPECT_EQ(services().open_graphics_window(&width, &height, "P", &mode, nullptr), 1);
}

TEST_F(ServicesTest, PaintSetsTheMapModeAndCallsTheRoutine) {
  static Handle painted = 0;
  int32_t width = 10, height = 10, mode = 6;
  EXPECT_FALSE(services().paint_graphics(5));  // no window, no routine
  services().open_graphics_window(&width, &height, "P", &mode,
                                  [](Handle* context) { painted = *context; });
  EXPECT_TRUE(services().paint_graphics(42));
  EXPECT_EQ(painted, 42u);
  EXPECT_EQ(platform.calls("map_mode"), Lines{"map_mode 6"});
}

TEST_F(ServicesTest, WaitTickPumpsArmsAndClearsTheFlag) {
  services().wait_tick();
  EXPECT_EQ(platform.trace, (Lines{"pump_pending", "arm_tick 100 10"}));
  EXPECT_EQ(services().tick_flag(), 0);
}

TEST_F(ServicesTest, NoTimerAskedAndNoEndsTheRun) {
  platform.tick_fails = true;
  platform.answers = {Answer::yes, Answer::no};
  services().wait_tick();
  EXPECT_EQ(platform.end_run_calls, 0);
  EXPECT_THROW(services().wait_tick(), RunEnded);
  EXPECT_EQ(platform.calls("message_box none No timers available. Continue?").size(), 2u);
}

TEST_F(ServicesTest, OneHundredTimersAndNoMore) {
  int32_t interval = 10;
  for (int32_t id = 1; id <= 100; ++id) {
    ASSERT_EQ(services().start_timer(&id, &interval, nullptr), 1) << id;
  }
  int32_t extra = 101;
  EXPECT_EQ(services().start_timer(&extra, &interval, nullptr), 0);
  EXPECT_EQ(platform.timers.count(101), 0u);
  int32_t fifty = 50;
  services().stop_timer(&fifty);
  EXPECT_EQ(services().timer_slot_id(49), 0);
  EXPECT_EQ(services().start_timer(&extra, &interval, nullptr), 1);
  EXPECT_EQ(services().timer_slot_id(49), 101);  // the first free slot
}

TEST_F(ServicesTest, TimerFailuresAndIdZeroAreRefused) {
  int32_t zero = 0, one = 1, interval = 10;
  EXPECT_EQ(services().start_timer(&zero, &interval, nullptr), 0);
  platform.timers_fail = true;
  EXPECT_EQ(services().start_timer(&one, &interval, nullptr), 0);
  EXPECT_EQ(services().timer_slot_id(0), 0);
}

TEST_F(ServicesTest, MenuItemsTakeCommandIdsFrom800) {
  int32_t menu = 2, flags = 0;
  EXPECT_EQ(services().append_menu_item(&menu, &flags, "First   ", nullptr), 1);
  EXPECT_EQ(services().append_menu_item(&menu, &flags, "Second", nullptr), 1);
  EXPECT_EQ(platform.calls("append_menu"), (Lines{"append_menu 2 0 800", "append_menu 2 0 801"}));
  EXPECT_EQ(platform.menu_texts, (Lines{"First", "Second"}));
  EXPECT_EQ(services().next_command_id(), 802);
  EXPECT_EQ(platform.calls("redraw_menu_bar").size(), 2u);
}

TEST_F(ServicesTest, AFailingAppendStillUsesItsId) {
  int32_t menu = 1, flags = 0;
  platform.menu_fails = true;
  EXPECT_EQ(services().append_menu_item(&menu, &flags, "x", nullptr), 0);
  EXPECT_EQ(services().next_command_id(), 801);
}

TEST_F(ServicesTest, MoreThanFiveHundredItemsAreRefused) {
  int32_t menu = 1, flags = 0, item = 1;
  for (int i = 0; i < 500; ++i) {
    ASSERT_EQ(services().append_menu_item(&menu, &flags, "i", nullptr), 1);
  }
  EXPECT_EQ(services().next_command_id(), 1300);
  EXPECT_EQ(services().append_menu_item(&menu, &flags, "over", nullptr), 0);
  EXPECT_EQ(services().insert_menu_item(&menu, &item, &flags, "over", nullptr), 0);
  EXPECT_EQ(services().next_command_id(), 1300);
  EXPECT_EQ(platform.calls("append_menu").size(), 500u);
  EXPECT_FALSE(services().on_user_command(1300));
}

TEST_F(ServicesTest, LongItemTextsAreCut) {
  EXPECT_EQ(menu_item_text(std::string(600, 'm') + "  "), std::string(511, 'm'));
  EXPECT_EQ(menu_item_text("  "), "");
}

TEST_F(ServicesTest, InsertIntoAPopupOrAsANewPopup) {
  int32_t menu = 2, item = 3, flags = 0x400;
  EXPECT_EQ(services().insert_menu_item(&menu, &item, &flags, "Mid", nullptr), 1);
  EXPECT_EQ(platform.calls("insert_menu"), Lines{"insert_menu 2 2 1024 800"});
  int32_t top = 0, popup_flags = 0;
  EXPECT_EQ(services().insert_menu_item(&menu, &top, &popup_flags, "&Tools", nullptr), 1);
  EXPECT_EQ(popup_flags, 0x410);  // written back
  EXPECT_EQ(platform.calls("insert_popup"), Lines{"insert_popup 1 1040"});
  EXPECT_EQ(services().next_command_id(), 801);  // a popup takes no ID
}

TEST_F(ServicesTest, CheckAndDelete) {
  int32_t menu = 1, item = 2, flags = kMenuChecked;
  EXPECT_EQ(services().check_menu_item(&menu, &item, &flags), 8);
  EXPECT_EQ(flags, 0x408);
  EXPECT_EQ(platform.calls("check_menu"), Lines{"check_menu 1 1 1032"});
  int32_t none = 0;
  EXPECT_EQ(services().delete_menu_item(&menu, &none), 0);
  EXPECT_TRUE(platform.calls("delete_menu").empty());
  EXPECT_EQ(services().delete_menu_item(&menu, &item), 1);
  EXPECT_EQ(platform.calls("delete_menu"), Lines{"delete_menu 1 1"});
}

}  // namespace
}  // namespace tova::host::testing
