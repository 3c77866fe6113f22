#include "host/core/text_store.h"

#include <gtest/gtest.h>

#include <string>

namespace tova::host {
namespace {

// line_start(1) = 1, never decreasing, and the last entry one past the text.
void expect_invariants(const TextStore& store) {
  ASSERT_EQ(store.line_start(1), 1u);
  for (size_t i = 1; i <= store.line_count(); ++i) {
    ASSERT_LE(store.line_start(i), store.line_start(i + 1)) << "line " << i;
  }
  ASSERT_EQ(store.line_start(store.line_count() + 1), store.text_area().size() + 1);
}

TEST(TextStore, StartsEmpty) {
  TextStore store;
  EXPECT_EQ(store.line_count(), 0u);
  EXPECT_EQ(store.widest_line(), 0u);
  EXPECT_EQ(store.last_line(), "");
  expect_invariants(store);
}

TEST(TextStore, LinesLieBackToBackWithoutSeparators) {
  TextStore store;
  store.append_line("AB");
  store.append_line("");
  store.append_line("CDE");
  EXPECT_EQ(store.text_area(), "ABCDE");
  EXPECT_EQ(store.get_line(1).start, 1u);
  EXPECT_EQ(store.get_line(1).length, 2u);
  EXPECT_EQ(store.get_line(2).start, 3u);
  EXPECT_EQ(store.get_line(2).length, 0u);
  EXPECT_EQ(store.get_line(3).start, 3u);
  EXPECT_EQ(store.get_line(3).length, 3u);
  EXPECT_EQ(store.line_start(4), 6u);
  expect_invariants(store);
}

TEST(TextStore, OpenLineAddsAnEmptyLastLine) {
  TextStore store;
  store.append_line("X");
  store.open_line();
  EXPECT_EQ(store.line_count(), 2u);
  EXPECT_EQ(store.line_start(3), store.line_start(2));
  EXPECT_EQ(store.last_line(), "");
}

TEST(TextStore, InsertBlankAndPutCharEditTheLastLine) {
  TextStore store;
  store.append_line("kept");
  store.open_line();
  store.put_char(0, 'a');  // at the length: grows
  store.put_char(1, 'c');
  store.insert_blank(1);  // "a c"
  EXPECT_EQ(store.last_line(), "a c");
  store.put_char(1, 'b');  // inside: replaces
  EXPECT_EQ(store.last_line(), "abc");
  store.insert_blank(3);
  EXPECT_EQ(store.last_line(), "abc ");
  EXPECT_EQ(store.line_text(1), "kept");
  expect_invariants(store);
}

TEST(TextStore, AppendToLineGrowsItAndShiftsTheLinesAfter) {
  TextStore store;
  store.append_line("? READ(UNIT=");
  store.append_line("typed");
  store.append_to_line(1, "1,...");
  store.append_to_line(2, "");
  EXPECT_EQ(store.line_text(1), "? READ(UNIT=1,...");
  EXPECT_EQ(store.line_text(2), "typed");
  expect_invariants(store);
}

TEST(TextStore, DeleteCharsShiftsAllFollowingLines) {
  TextStore store;
  store.append_line("ABCDEF");
  store.append_line("GH");
  store.append_line("IJ");
  store.delete_chars(1, 2, 3);
  EXPECT_EQ(store.line_text(1), "ABF");
  EXPECT_EQ(store.line_text(2), "GH");
  EXPECT_EQ(store.line_text(3), "IJ");
  EXPECT_EQ(store.line_start(2), 4u);
  expect_invariants(store);
}

TEST(TextStore, DeleteCharsOnEmptyTailDoesNothing) {
  TextStore store;
  store.append_line("AB");
  store.open_line();
  store.open_line();
  store.delete_chars(2, 0, 0);
  EXPECT_EQ(store.text_area(), "AB");
  EXPECT_EQ(store.line_count(), 3u);
  expect_invariants(store);
}

TEST(TextStore, InsertBeforeLastKeepsTheLastLine) {
  TextStore store;
  store.append_line("one");
  store.append_line("typed");
  store.insert_before_last("out");
  EXPECT_EQ(store.line_count(), 3u);
  EXPECT_EQ(store.line_text(1), "one");
  EXPECT_EQ(store.line_text(2), "out");
  EXPECT_EQ(store.line_text(3), "typed");
  store.put_char(5, '!');
  EXPECT_EQ(store.line_text(3), "typed!");
  expect_invariants(store);
}

TEST(TextStore, WidestLineNeverDecreases) {
  TextStore store;
  store.note_width(10);
  store.note_width(3);
  EXPECT_EQ(store.widest_line(), 10u);
}

TEST(TextStore, EveryByteValueIsStoredVerbatim) {
  TextStore store;
  std::string all;
  for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
  store.append_line(all);
  EXPECT_EQ(store.line_text(1), all);
}

// The text area of old held 262,144 bytes and 32,767 lines; a long run
// writes more, and every line must stay.
TEST(TextStore, GrowsPastEveryOldLimit) {
  TextStore store;
  const size_t kLines = 70000;  // beyond 32,767 and 65,536
  for (size_t i = 0; i < kLines; ++i) store.append_line("line " + std::to_string(i));
  EXPECT_EQ(store.line_count(), kLines);
  EXPECT_GT(store.text_area().size(), 262144u);
  EXPECT_EQ(store.line_text(1), "line 0");
  EXPECT_EQ(store.line_text(65537), "line 65536");
  EXPECT_EQ(store.line_text(kLines), "line 69999");
  expect_invariants(store);
}

}  // namespace
}  // namespace tova::host
