#include "analysis/association.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/ranks.h"
#include "reference/kernels_reference.h"
#include "support/data_builder.h"

namespace tova {
namespace {

using test_support::DataBuilder;

// The two matrices of a run over `b`, after the preparation, from the
// literal loop the kernel is held to.
struct Result {
  std::vector<float> correlation, distance;
  int32_t m;
  float r(int32_t k, int32_t l) const { return correlation[(k - 1) + (l - 1) * m]; }
  float d(int32_t k, int32_t l) const { return distance[(k - 1) + (l - 1) * m]; }
};

Result analyse(DataBuilder& b) {
  DataSet& data = b.data();
  Result out;
  out.m = data.variable_count;
  out.correlation.assign(static_cast<size_t>(out.m) * out.m, -9.0f);
  out.distance.assign(static_cast<size_t>(out.m) * out.m, -9.0f);
  rank_variables(data);
  kernels::d_correlation_plain(prepared_view(data), out.correlation.data(), out.distance.data());
  return out;
}

// The scores of variable v for every pair of objects, against a partner of
// type partner_type.
std::vector<float> scores(DataBuilder& b, int32_t v, int32_t partner_type) {
  const DataSet& d = b.data();
  std::vector<float> s;
  for (int64_t i = 1; i < d.object_count; ++i) {
    for (int64_t j = i + 1; j <= d.object_count; ++j) {
      s.push_back(difference_score(d.variable_type(v), d.data_matrix(i, v), d.data_matrix(j, v),
                                   d.tie_count(i, v), d.tie_count(j, v), d.variable_range(v),
                                   d.period(v), !is_unordered(partner_type)));
    }
  }
  return s;
}

TEST(AssociationMatrices, EqualIntervalVariablesCorrelateFully) {
  DataBuilder b({kInterval, kInterval}, {{0, 1, 2}, {0, 1, 2}});
  const Result r = analyse(b);
  EXPECT_THAT(scores(b, 1, kInterval), ::testing::ElementsAre(-0.5f, -1.0f, -0.5f));
  EXPECT_EQ(r.r(1, 2), 1.0f);
  EXPECT_EQ(r.r(2, 1), 1.0f);
  EXPECT_EQ(r.d(1, 2), 0.0f);
  EXPECT_EQ(r.r(1, 1), 1.0f);
  EXPECT_EQ(r.d(2, 2), 0.0f);
}

TEST(AssociationMatrices, ReversedIntervalVariablesCorrelateNegatively) {
  DataBuilder b({kInterval, kInterval}, {{0, 1, 2}, {2, 1, 0}});
  const Result r = analyse(b);
  EXPECT_THAT(scores(b, 2, kInterval), ::testing::ElementsAre(0.5f, 1.0f, 0.5f));
  EXPECT_EQ(r.r(1, 2), -1.0f);
  EXPECT_EQ(r.d(1, 2), 6.0f);
  EXPECT_EQ(r.d(2, 1), 6.0f);
}

TEST(AssociationMatrices, MismatchPartnerMakesIntervalScoresUnsigned) {
  DataBuilder b({kInterval, kMismatch}, {{0, 1, 2}, {1, 1, 2}});
  const Result r = analyse(b);
  EXPECT_THAT(scores(b, 1, kMismatch), ::testing::ElementsAre(0.5f, 1.0f, 0.5f));
  EXPECT_THAT(scores(b, 2, kInterval), ::testing::ElementsAre(0.0f, 1.0f, 1.0f));
  EXPECT_EQ(r.r(1, 2), 0.5f);
  EXPECT_EQ(r.d(1, 2), 0.5f);
}

TEST(AssociationMatrices, NotComparablePairsEnterWithTheMeanScore) {
  DataBuilder b({kRankedDoubleZero, kInterval}, {{0, 2, 5, 7}, {1, 2, 3, 4}});
  const Result r = analyse(b);
  EXPECT_THAT(b.column(1), ::testing::ElementsAre(0.0f, 2.0f, 3.0f, 4.0f));
  EXPECT_EQ(b.data().variable_range(1), 2.0f);
  EXPECT_THAT(scores(b, 1, kInterval),
              ::testing::ElementsAre(5.0f, 5.0f, 5.0f, -0.5f, -1.0f, -0.5f));
  // 1/sqrt(5) and 7/18, to the last bit of the single-precision sums (the
  // values an independent replay of the rounding points gives).
  EXPECT_NEAR(r.r(1, 2), 1.0 / std::sqrt(5.0), 1e-6);
  EXPECT_EQ(r.r(1, 2), 0.4472143352031708f);
  EXPECT_NEAR(r.d(1, 2), 7.0 / 18.0, 1e-7);
  EXPECT_EQ(r.d(1, 2), 0.3888888359069824f);
}

TEST(AssociationMatrices, SingleVariableHasOnlyItsDiagonal) {
  DataBuilder b({kInterval}, {{0, 1, 2}});
  const Result r = analyse(b);
  EXPECT_EQ(r.r(1, 1), 1.0f);
  EXPECT_EQ(r.d(1, 1), 0.0f);
}

TEST(AssociationMatrices, MissingValueRemovesOnlyThePairsOfItsVariable) {
  // Object 4 is missing in variable 1: pairs with object 4 leave (1,2) and
  // (1,3) but not (2,3).
  DataBuilder b({kInterval, kInterval, kInterval}, {{0, 1, 2, -1}, {0, 1, 2, 9}, {0, 1, 2, 9}});
  const Result r = analyse(b);
  EXPECT_FLOAT_EQ(r.r(1, 2), 1.0f);
  EXPECT_FLOAT_EQ(r.r(1, 3), 1.0f);
  EXPECT_FLOAT_EQ(r.r(2, 3), 1.0f);
  EXPECT_EQ(r.d(2, 3), 0.0f);
  // The first variable, with the pairs of object 4 removed, still differs
  // from the second in none of the remaining pairs' scores but their scale.
  EXPECT_GT(r.d(1, 2), 0.0f);
}

TEST(AssociationMatrices, DegenerateCasesGiveNotANumber) {
  DataBuilder constant({kInterval, kInterval}, {{3, 3, 3}, {0, 1, 2}});
  EXPECT_TRUE(std::isnan(analyse(constant).r(1, 2)));
  DataBuilder single({kInterval, kInterval}, {{3}, {4}});
  EXPECT_TRUE(std::isnan(analyse(single).r(1, 2)));
}

TEST(DifferenceScore, CircularTakesTheShorterWayAround) {
  DataBuilder b({kCircular, kCircularDoubleZero}, {{10, 350, 180}, {0, 90, 0}}, {360, 360});
  EXPECT_THAT(scores(b, 1, kInterval), ::testing::ElementsAre(static_cast<float>(2.0 * 20 / 360),
                                                              static_cast<float>(2.0 * 170 / 360),
                                                              static_cast<float>(2.0 * 170 / 360)));
  // 0 with a positive value is not comparable; two zeros score 0.
  EXPECT_THAT(scores(b, 2, kInterval), ::testing::ElementsAre(5.0f, 0.0f, 5.0f));
}

TEST(DifferenceScore, TieCorrectedScoresCarryTheSignOfTheFirstObject) {
  DataBuilder b({kRankedTies}, {{3, 1, 3, 2}});
  rank_variables(b.data());
  // Ranks 3.5 1 3.5 2, ties 2 1 2 1, range 2.
  EXPECT_THAT(scores(b, 1, kInterval),
              ::testing::ElementsAre(1.0f, 0.0f, 0.5f, -1.0f, -0.5f, 0.5f));
  EXPECT_THAT(scores(b, 1, kMismatch), ::testing::ElementsAre(1.0f, 0.0f, 0.5f, 1.0f, 0.5f, 0.5f));
}

TEST(DifferenceScore, DoubleZeroPartnerKeepsTheSignOfOrderedScores) {
  DataBuilder b({kRankedTiesDoubleZero, kInterval}, {{0, 0}, {1, 2}});
  rank_variables(b.data());
  EXPECT_THAT(scores(b, 2, kRankedTiesDoubleZero), ::testing::ElementsAre(-1.0f));
  EXPECT_THAT(scores(b, 1, kInterval), ::testing::ElementsAre(0.0f));
  EXPECT_TRUE(is_double_zero(kRankedTiesDoubleZero));
  EXPECT_FALSE(is_double_zero(kInterval));
}

}  // namespace
}  // namespace tova
