// Which lines a print job prints, on which pages, and how it ends.
#include "host/core/pagination.h"
#include "tests/host/core/support/host_fixture.h"

namespace tova::host::testing {
namespace {

PrinterSetup sixty_lines() {
  PrinterSetup setup;
  setup.device = 77;
  setup.line_height = 50;
  setup.page_height = 3020;  // 60 lines and a bit
  return setup;
}

TEST(Pagination, LinesPerPage) {
  EXPECT_EQ(lines_per_page(sixty_lines()), 60);
  PrinterSetup tiny = sixty_lines();
  tiny.page_height = 10;
  EXPECT_EQ(lines_per_page(tiny), 1);
  tiny.line_height = 0;
  EXPECT_EQ(lines_per_page(tiny), 1);
}

TEST(Pagination, LineRange) {
  PrinterSetup setup = sixty_lines();
  LineRange all = print_line_range(setup, 120, 60);
  EXPECT_EQ(all.first, 1u);
  EXPECT_EQ(all.last, 120u);
  setup.page_range = true;
  setup.from_page = setup.to_page = 2;
  LineRange second = print_line_range(setup, 120, 60);
  EXPECT_EQ(second.first, 61u);
  EXPECT_EQ(second.last, 120u);
  second = print_line_range(setup, 100, 60);
  EXPECT_EQ(second.first, 61u);
  EXPECT_EQ(second.last, 100u);
  setup.from_page = setup.to_page = 3;
  EXPECT_EQ(print_line_range(setup, 120, 60).count(), 0u);
}

TEST(Pagination, NoTrailingBlankPage) {
  std::vector<Page> pages = paginate({1, 120}, 60);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0].first_line, 1u);
  EXPECT_EQ(pages[0].line_count, 60u);
  EXPECT_EQ(pages[1].first_line, 61u);
  EXPECT_EQ(pages[1].line_count, 60u);
  pages = paginate({1, 121}, 60);
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages[2].line_count, 1u);
  pages = paginate({1, 0}, 60);  // an empty range: one empty page
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].line_count, 0u);
}

class Printing : public HostTest {
 protected:
  void SetUp() override { open_window(20, 80); }
  void output_lines(int count) {
    // Appending (not "L" + std::string&&, whose inlined insert GCC 12 takes
    // for an overlapping copy under -Werror=restrict).
    for (int i = 1; i <= count; ++i) output(std::string("L").append(std::to_string(i)));
  }
};

TEST_F(Printing, OneHundredTwentyLinesAtSixtyAPageMakeTwoPages) {
  output_lines(120);
  platform.printer = sixty_lines();
  platform.clear_trace();
  host.on_command(kCmdPrint);
  ASSERT_EQ(platform.pages.size(), 2u);
  EXPECT_EQ(platform.pages[0].size(), 60u);
  EXPECT_EQ(platform.pages[0][0].text, "L1");
  EXPECT_EQ(platform.pages[0][0].y, 0);
  EXPECT_EQ(platform.pages[0][59].y, 59 * 50);
  EXPECT_EQ(platform.pages[1][0].text, "L61");
  EXPECT_EQ(platform.pages[1][59].text, "L120");
  EXPECT_TRUE(platform.document_ended);
  EXPECT_FALSE(platform.printing_dialog_open);
  EXPECT_EQ(platform.calls("start_document"), Lines{"start_document TOVA Input/Output"});
  EXPECT_EQ(platform.trace.back(), "delete_printer");
}

TEST_F(Printing, PageRangeTwoToTwo) {
  output_lines(150);
  PrinterSetup setup = sixty_lines();
  setup.page_range = true;
  setup.from_page = setup.to_page = 2;
  platform.printer = setup;
  host.print_text();
  ASSERT_EQ(platform.pages.size(), 1u);
  EXPECT_EQ(platform.pages[0].front().text, "L61");
  EXPECT_EQ(platform.pages[0].back().text, "L120");
}

TEST_F(Printing, AnEmptyStorePrintsOneEmptyPagePerCopy) {
  PrinterSetup setup = sixty_lines();
  setup.copies = 2;
  platform.printer = setup;
  host.print_text();
  ASSERT_EQ(platform.pages.size(), 2u);
  EXPECT_TRUE(platform.pages[0].empty());
  EXPECT_TRUE(platform.pages[1].empty());
}

TEST_F(Printing, EachCopyPrintsEveryPage) {
  output_lines(70);
  PrinterSetup setup = sixty_lines();
  setup.copies = 3;
  platform.printer = setup;
  host.print_text();
  ASSERT_EQ(platform.pages.size(), 6u);
  EXPECT_EQ(platform.pages[4][0].text, "L1");
  EXPECT_EQ(platform.pages[5].size(), 10u);
}

TEST_F(Printing, NoCopiesEndsTheDocumentAtOnce) {
  output_lines(5);
  PrinterSetup setup = sixty_lines();
  setup.copies = 0;
  platform.printer = setup;
  host.print_text();
  EXPECT_TRUE(platform.pages.empty());
  EXPECT_TRUE(platform.document_ended);
}

TEST_F(Printing, CancelStopsAfterTheCurrentLine) {
  output_lines(120);
  platform.printer = sixty_lines();
  platform.on_print_line = [this](int32_t y) {
    if (y == 9 * 50) host.cancel_printing();
  };
  host.print_text();
  ASSERT_EQ(platform.pages.size(), 1u);
  EXPECT_EQ(platform.pages[0].size(), 10u);
  EXPECT_FALSE(platform.document_ended);
  EXPECT_TRUE(platform.document_aborted);
  EXPECT_TRUE(platform.calls("end_page").empty());
  EXPECT_FALSE(platform.printing_dialog_open);
}

TEST_F(Printing, APageThatCannotStartEndsTheJob) {
  output_lines(120);
  platform.printer = sixty_lines();
  platform.pages_before_start_failure = 1;
  host.print_text();
  EXPECT_EQ(platform.pages.size(), 1u);
  EXPECT_TRUE(platform.document_aborted);
  EXPECT_EQ(platform.trace.back(), "delete_printer");
  EXPECT_FALSE(platform.printing_dialog_open);
}

TEST_F(Printing, ACancelledPrintDialogPrintsNothing) {
  output_lines(3);
  platform.clear_trace();
  host.print_text();
  EXPECT_EQ(platform.trace, Lines{"print_dialog"});
}

}  // namespace
}  // namespace tova::host::testing
