// The tab stop distance taken from TABSIZE.
#include <gtest/gtest.h>

#include <cstdlib>

#include "textio/units.h"

namespace textio {
namespace {

int32_t tab_size_with(const char* value) {
  ::setenv("TABSIZE", value, 1);
  const int32_t size = tab_size_from_environment();
  ::unsetenv("TABSIZE");
  return size;
}

TEST(TabSize, ReadAsADecimalNumber) {
  ::unsetenv("TABSIZE");
  EXPECT_EQ(tab_size_from_environment(), 8);
  EXPECT_EQ(tab_size_with("4"), 4);
  EXPECT_EQ(tab_size_with(" 12"), 12);
  EXPECT_EQ(tab_size_with("+4"), 4);
  EXPECT_EQ(tab_size_with("3x"), 3);
  // Longer than 20 characters: not taken.
  EXPECT_EQ(tab_size_with("000000000000000000004"), 8);
  EXPECT_EQ(tab_size_with("00000000000000000004"), 4);
  // No positive distance: the default.
  EXPECT_EQ(tab_size_with("0"), 8);
  EXPECT_EQ(tab_size_with("-4"), 8);
  EXPECT_EQ(tab_size_with("abc"), 8);
}

}  // namespace
}  // namespace textio
