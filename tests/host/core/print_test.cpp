// Which lines a print job prints, on which pages, and how it ends.
#include "host/core/pagination.h"
#include "tests/host/core/support/host_fixture.h"

namespace tova::host::testing {
namespace {

// Sixty text rows a page below the two header rows, no margins, and a
// character cell of one unit: the arithmetic of the pages alone.
PrinterSetup sixty_lines() {
  PrinterSetup setup;
  setup.device = 77;
  setup.line_height = 50;
  setup.page_height = 62 * 50 + 20;
  setup.page_width = 4000;
  return setup;
}

// A printer of 600 dots per inch with 8 x 11 printable inches.
PrinterSetup letter_at_600() {
  PrinterSetup setup;
  setup.device = 78;
  setup.line_height = 60;
  setup.page_width = 4800;
  setup.page_height = 6600;
  setup.dots_per_inch_x = setup.dots_per_inch_y = 600;
  return setup;
}

TEST(Pagination, LinesPerPageLeaveTheMarginsAndTheHeader) {
  EXPECT_EQ(lines_per_page(sixty_lines(), {1, 50}), 60);
  EXPECT_EQ(lines_per_page(letter_at_600(), {35, 60}), (6600 - 600) / 60 - 2);
  PrinterSetup tiny = sixty_lines();
  tiny.page_height = 10;
  EXPECT_EQ(lines_per_page(tiny, {1, 50}), 1);
  EXPECT_EQ(lines_per_page(tiny, {1, 0}), 1);
}

TEST(Pagination, TheFontFitsTheLongestLineBetweenTheMargins) {
  PrinterSetup setup = letter_at_600();
  EXPECT_EQ(print_margins(setup).x, 300);
  EXPECT_EQ(print_char_width(setup, 120), 4200 / 120);
  EXPECT_EQ(print_char_width(setup, 20), 600 * 6 / 72);    // no larger than 10 points
  EXPECT_EQ(print_char_width(setup, 1000), 600 * 3 / 72);  // no smaller than 5 points
  EXPECT_EQ(print_columns(setup, {35, 60}), 120u);
}

TEST(Pagination, LinesLongerThanThePageAreBrokenAndMarked) {
  TextStore store;
  store.append_line(std::string(25, 'a') + std::string(5, 'b'));
  store.append_line("short");
  std::vector<std::string> rows = print_rows(store, 10);
  EXPECT_EQ(rows, (std::vector<std::string>{"aaaaaaaaa\\", "aaaaaaaaa\\", "aaaaaaabb\\", "bbb",
                                            "short"}));
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
  // A page's text rows, after its title and page number.
  static std::vector<PrintedLine> body(const std::vector<PrintedLine>& page) {
    return std::vector<PrintedLine>(page.begin() + 2, page.end());
  }
};

// An eight-value matrix row printed five values: lines were clipped at the
// printer font's width, without margins.
TEST_F(Printing, EveryCharacterOfEveryLineIsPrintedWithMarginsAndAHeader) {
  std::string row;
  for (int v = 1; v <= 11; ++v) row += "   -0.12345" + std::to_string(v % 10);
  output("  D-CORRELATION MATRIX");
  output(row);  // 132 characters
  output(row.substr(0, 40));
  name_save_file("C:\\runs\\run.txt", "run.txt");
  platform.printer = letter_at_600();
  host.on_command(kCmdPrint);
  EXPECT_EQ(platform.asked_char_width, 4200 / 132);
  ASSERT_EQ(platform.pages.size(), 1u);
  const std::vector<PrintedLine>& page = platform.pages[0];
  ASSERT_EQ(page.size(), 5u);
  EXPECT_EQ(page[0].text, "run.txt");
  EXPECT_EQ(page[0].x, 300);
  EXPECT_EQ(page[0].y, 300);
  EXPECT_EQ(page[1].text, "Page 1");
  EXPECT_EQ(page[1].x, 4800 - 300 - 6 * (4200 / 132));
  EXPECT_EQ(page[3].text, row);
  EXPECT_EQ(page[3].x, 300);
  EXPECT_EQ(page[3].y, 300 + 3 * 60);
  EXPECT_GT(platform.printing_pumps, 3);  // the Printing box is drawn and heard
}

TEST_F(Printing, TheHeaderNumbersEachPage) {
  output_lines(130);
  platform.printer = sixty_lines();
  host.on_command(kCmdPrint);
  ASSERT_EQ(platform.pages.size(), 3u);
  EXPECT_EQ(platform.pages[0][0].text, "Input/Output");
  EXPECT_EQ(platform.pages[2][1].text, "Page 3");
  EXPECT_EQ(body(platform.pages[2]).size(), 10u);
}

TEST_F(Printing, OneHundredTwentyLinesAtSixtyAPageMakeTwoPages) {
  output_lines(120);
  platform.printer = sixty_lines();
  platform.clear_trace();
  host.on_command(kCmdPrint);
  ASSERT_EQ(platform.pages.size(), 2u);
  std::vector<PrintedLine> first = body(platform.pages[0]);
  ASSERT_EQ(first.size(), 60u);
  EXPECT_EQ(first[0].text, "L1");
  EXPECT_EQ(first[0].y, 2 * 50);
  EXPECT_EQ(first[59].y, 61 * 50);
  EXPECT_EQ(body(platform.pages[1])[0].text, "L61");
  EXPECT_EQ(body(platform.pages[1])[59].text, "L120");
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
  host.on_command(kCmdPrint);
  ASSERT_EQ(platform.pages.size(), 1u);
  EXPECT_EQ(platform.pages[0][1].text, "Page 2");
  EXPECT_EQ(body(platform.pages[0]).front().text, "L61");
  EXPECT_EQ(platform.pages[0].back().text, "L120");
}

TEST_F(Printing, AnEmptyStorePrintsOneEmptyPagePerCopy) {
  PrinterSetup setup = sixty_lines();
  setup.copies = 2;
  platform.printer = setup;
  host.on_command(kCmdPrint);
  ASSERT_EQ(platform.pages.size(), 2u);
  EXPECT_TRUE(body(platform.pages[0]).empty());
  EXPECT_TRUE(body(platform.pages[1]).empty());
}

TEST_F(Printing, EachCopyPrintsEveryPage) {
  output_lines(70);
  PrinterSetup setup = sixty_lines();
  setup.copies = 3;
  platform.printer = setup;
  host.on_command(kCmdPrint);
  ASSERT_EQ(platform.pages.size(), 6u);
  EXPECT_EQ(body(platform.pages[4])[0].text, "L1");
  EXPECT_EQ(body(platform.pages[5]).size(), 10u);
}

TEST_F(Printing, NoCopiesEndsTheDocumentAtOnce) {
  output_lines(5);
  PrinterSetup setup = sixty_lines();
  setup.copies = 0;
  platform.printer = setup;
  host.on_command(kCmdPrint);
  EXPECT_TRUE(platform.pages.empty());
  EXPECT_TRUE(platform.document_ended);
}

TEST_F(Printing, CancelStopsAfterTheCurrentLine) {
  output_lines(120);
  platform.printer = sixty_lines();
  platform.on_print_line = [this](int32_t y) {
    if (y == 11 * 50) host.print_command().cancel();
  };
  host.on_command(kCmdPrint);
  ASSERT_EQ(platform.pages.size(), 1u);
  EXPECT_EQ(body(platform.pages[0]).size(), 10u);
  EXPECT_FALSE(platform.document_ended);
  EXPECT_TRUE(platform.document_aborted);
  EXPECT_TRUE(platform.calls("end_page").empty());
  EXPECT_FALSE(platform.printing_dialog_open);
}

TEST_F(Printing, APageThatCannotStartEndsTheJob) {
  output_lines(120);
  platform.printer = sixty_lines();
  platform.pages_before_start_failure = 1;
  host.on_command(kCmdPrint);
  EXPECT_EQ(platform.pages.size(), 1u);
  EXPECT_TRUE(platform.document_aborted);
  EXPECT_EQ(platform.trace.back(), "delete_printer");
  EXPECT_FALSE(platform.printing_dialog_open);
}

TEST_F(Printing, ACancelledPrintDialogPrintsNothing) {
  output_lines(3);
  platform.clear_trace();
  host.on_command(kCmdPrint);
  EXPECT_EQ(platform.trace, Lines{"print_dialog"});
}

}  // namespace
}  // namespace tova::host::testing
