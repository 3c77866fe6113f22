#include "analysis/arrays.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "analysis/data_file.h"
#include "textio/allocate.h"

namespace tova {
namespace {

TEST(PackedPosition, RunsColumnByColumnOverTheUpperTriangle) {
  EXPECT_EQ(packed_position(1, 1), 1);
  EXPECT_EQ(packed_position(1, 2), 2);
  EXPECT_EQ(packed_position(2, 2), 3);
  EXPECT_EQ(packed_position(1, 3), 4);
  EXPECT_EQ(packed_position(3, 3), 6);
  EXPECT_EQ(packed_size(4), 10);
  EXPECT_EQ(packed_position(4, 4), packed_size(4));
}

TEST(PackedPosition, DoesNotWrapBeyond32Bits) {
  // (j^2 - j)/2 for j = 100000 is 4,999,950,000.
  EXPECT_EQ(packed_position(1, 100000), 4999950001LL);
  EXPECT_EQ(packed_size(2000000000), 2000000001000000000LL);
}

TEST(MatrixView, IsOneBasedAndColumnMajor) {
  std::vector<float> storage{11, 21, 12, 22, 13, 23};
  Matrix<float> m(storage.data(), 2, 3);
  EXPECT_EQ(m(1, 1), 11);
  EXPECT_EQ(m(2, 1), 21);
  EXPECT_EQ(m(1, 3), 13);
  EXPECT_EQ(m(2, 3), 23);
  Matrix<float> empty(storage.data(), -3, 2);
  EXPECT_EQ(empty.rows(), 0);
}

TEST(ArrayDescriptors, AllocateZeroFilledStorageOfTheViewsExtents) {
  textio::ArrayDescriptor ties = integer_array(3, 2);
  textio::ArrayDescriptor values = real_array(5);
  textio::ArrayDescriptor none = real_array(-4);
  const std::array<textio::ArrayDescriptor*, 3> group{&ties, &values, &none};
  textio::allocate(group);
  EXPECT_EQ(ties.size_bits, 3u * 2u * 4u * 8u);
  EXPECT_EQ(values.size_bits, 5u * 4u * 8u);
  EXPECT_EQ(none.size_bits, 0u);
  Matrix<int32_t> t(ties);
  Vector<float> v(values);
  EXPECT_EQ(t.rows(), 3);
  EXPECT_EQ(t.columns(), 2);
  EXPECT_EQ(t(3, 2), 0);
  EXPECT_EQ(v(5), 0.0f);
  EXPECT_EQ(Vector<float>(none).size(), 0);
  textio::deallocate(group);
  EXPECT_FALSE(ties.allocated());
}

TEST(FindUnknownType, AcceptsTheCodesWithARuleOnly) {
  std::vector<int32_t> codes{1, 2, 3, 4, 5, 6, 7, 33, 34};
  DataSet data;
  data.variable_count = static_cast<int32_t>(codes.size());
  data.variable_type = Vector<int32_t>(codes.data(), data.variable_count);
  EXPECT_FALSE(find_unknown_type(data).has_value());
  for (int32_t bad : {0, 8, 32, 35, -1}) {
    codes[2] = bad;
    EXPECT_EQ(find_unknown_type(data).value(),
              "Unknown variable type code " + std::to_string(bad) + " for variable 3");
  }
}

}  // namespace
}  // namespace tova
