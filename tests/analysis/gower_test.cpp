#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/data_set.h"
#include "analysis/ranks.h"
#include "reference/kernels_reference.h"
#include "support/data_builder.h"

namespace tova {
namespace {

using test_support::DataBuilder;

// The triangle of a run over `b`, after the preparation, from the literal
// loop the kernel is held to.
std::vector<float> semimatrix(DataBuilder& b) {
  rank_variables(b.data());
  const int64_t n = b.data().object_count;
  std::vector<float> semi(packed_size(n), -3.0f);
  kernels::gower_plain(prepared_view(b.data()), semi.data());
  return semi;
}

// The unsigned score of variable k for objects i < j.
float gower_score(const DataSet& d, int32_t k, int64_t i, int64_t j) {
  return difference_score(d.variable_type(k), d.data_matrix(i, k), d.data_matrix(j, k),
                          d.tie_count(i, k), d.tie_count(j, k), d.variable_range(k), d.period(k),
                          false);
}

TEST(GowerDissimilarities, OneObjectGivesOneZero) {
  DataBuilder b({kInterval, kMismatch}, {{4}, {1}});
  EXPECT_THAT(semimatrix(b), ::testing::ElementsAre(0.0f));
}

TEST(GowerDissimilarities, CircleOfPeriodEightGivesQuarterHalfThreeQuarters) {
  DataBuilder b({kCircular}, {{0, 1, 6}}, {8});
  EXPECT_THAT(semimatrix(b), ::testing::ElementsAre(0.0f, 0.25f, 0.0f, 0.5f, 0.75f, 0.0f));
}

TEST(GowerDissimilarities, MeanOverTheVariablesWithoutMissingValues) {
  // Pair (1,2): variable 3 missing; the mean of 0.5 and 1.0.
  DataBuilder b({kInterval, kMismatch, kInterval}, {{0, 1, 2}, {1, 2, 2}, {0, -1, 4}});
  const auto s = semimatrix(b);
  EXPECT_EQ(s[packed_position(1, 2) - 1], 0.75f);
  EXPECT_EQ(s[packed_position(1, 3) - 1], 1.0f);
  EXPECT_EQ(s[packed_position(2, 3) - 1], 0.25f);
}

TEST(GowerDissimilarities, NotComparablePairsTakeTheVariablesMeanScore) {
  // Type 3 values 0, 0, 2, 4 (range of ranks 1 after the lowest group):
  // pair (1,2) two zeros 0.0; pairs of a zero with a positive value take the
  // mean of the added scores 0, 1 -> 0.5.
  DataBuilder b({kRankedDoubleZero}, {{0, 0, 2, 4}});
  const auto s = semimatrix(b);
  EXPECT_EQ(s[packed_position(1, 2) - 1], 0.0f);
  EXPECT_EQ(s[packed_position(3, 4) - 1], 1.0f);
  EXPECT_EQ(s[packed_position(1, 3) - 1], 0.5f);
  EXPECT_EQ(s[packed_position(2, 4) - 1], 0.5f);
}

TEST(GowerScore, RulesOfTheTypes) {
  DataBuilder b({kCircular, kMismatch, kRankedTiesDoubleZero, kRankedTies},
                {{10, 350, 20}, {1, 99, 1}, {3, 3, 5}, {3, 3, 5}}, {360, 0, 0, 0});
  rank_variables(b.data());
  EXPECT_EQ(gower_score(b.data(), 1, 1, 2), static_cast<float>(2.0 * 20 / 360));
  EXPECT_EQ(gower_score(b.data(), 2, 1, 2), 1.0f);
  EXPECT_EQ(gower_score(b.data(), 2, 1, 3), 0.0f);
  // Same positive value of a tie-corrected type: 0 whatever the group size.
  EXPECT_EQ(gower_score(b.data(), 4, 1, 2), 0.0f);
  EXPECT_EQ(gower_score(b.data(), 3, 1, 2), 0.0f);
}

TEST(GowerDissimilarities, VariableWithoutAddedScoreGivesNotANumber) {
  DataBuilder b({kRankedDoubleZero}, {{0, 3}});
  const auto s = semimatrix(b);
  EXPECT_TRUE(std::isnan(s[1]));
  EXPECT_EQ(s[0], 0.0f);
  EXPECT_EQ(s[2], 0.0f);
}

}  // namespace
}  // namespace tova
