#include "host/core/about.h"

#include "tests/host/core/support/host_fixture.h"

namespace tova::host::testing {
namespace {

TEST(FormatHex8, EightLowerCaseDigitsZeroFilled) {
  struct Case {
    uint32_t value;
    const char* text;
  };
  for (const Case& c :
       {Case{0, "00000000"}, Case{65536, "00010000"}, Case{0xABCDEF, "00abcdef"},
        Case{0x7FFEFFFF, "7ffeffff"}, Case{0xFFFFFFFF, "ffffffff"}, Case{1, "00000001"}}) {
    EXPECT_EQ(format_hex8(c.value), c.text) << c.value;
  }
}

TEST(FormatUnsigned, Decimal) {
  EXPECT_EQ(format_unsigned(0), "0");
  EXPECT_EQ(format_unsigned(4096), "4096");
  EXPECT_EQ(format_unsigned(4294967295u), "4294967295");
}

TEST_F(HostTest, AboutFieldsShowTheSystemInformation) {
  platform.info = {4096, 65536, 0x7FFEFFFF, 586, 1};
  std::array<AboutField, 5> fields = about_fields(platform.info);
  EXPECT_EQ(fields[0].control, 102);
  EXPECT_EQ(fields[0].text, "4096");
  EXPECT_EQ(fields[1].control, 103);
  EXPECT_EQ(fields[1].text, "0x00010000");
  EXPECT_EQ(fields[2].control, 104);
  EXPECT_EQ(fields[2].text, "0x7ffeffff");
  EXPECT_EQ(fields[3].control, 105);
  EXPECT_EQ(fields[3].text, "586");
  EXPECT_EQ(fields[4].control, 106);
  EXPECT_EQ(fields[4].text, "1");
}

}  // namespace
}  // namespace tova::host::testing
