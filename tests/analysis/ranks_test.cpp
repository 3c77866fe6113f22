#include "analysis/ranks.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "reference/rank_group_search.h"
#include "support/data_builder.h"

namespace tova {
namespace {

using test_support::DataBuilder;
using ::testing::ElementsAre;

TEST(RankVariables, TiedRanksTakeTheMeanPosition) {
  DataBuilder b({kRankedTies, kRanked}, {{3, 1, 3, 2}, {3, 1, 3, 2}});
  rank_variables(b.data());
  EXPECT_THAT(b.column(1), ElementsAre(3.5f, 1.0f, 3.5f, 2.0f));
  EXPECT_THAT(b.ties(1), ElementsAre(2, 1, 2, 1));
  // (3.5 - 1) - 0 - 0.5 with the tie correction, 2.5 without.
  EXPECT_EQ(b.data().variable_range(1), 2.0f);
  EXPECT_THAT(b.column(2), ElementsAre(3.5f, 1.0f, 3.5f, 2.0f));
  EXPECT_EQ(b.data().variable_range(2), 2.5f);
}

TEST(RankVariables, DoubleZeroTypesSetTheLowestGroupToZero) {
  DataBuilder b({kRankedTiesDoubleZero, kRankedDoubleZero}, {{0, 0, 5, 7}, {0, 0, 5, 7}});
  rank_variables(b.data());
  EXPECT_THAT(b.column(1), ElementsAre(0.0f, 0.0f, 3.0f, 4.0f));
  EXPECT_THAT(b.ties(1), ElementsAre(2, 2, 1, 1));
  EXPECT_EQ(b.data().variable_range(1), 1.0f);
  EXPECT_THAT(b.column(2), ElementsAre(0.0f, 0.0f, 3.0f, 4.0f));
  EXPECT_EQ(b.data().variable_range(2), 1.0f);
}

TEST(RankVariables, LowestGroupIsTakenAsAbsenceEvenWithoutZeros) {
  DataBuilder b({kRankedTiesDoubleZero}, {{4, 6, 6}});
  rank_variables(b.data());
  EXPECT_THAT(b.column(1), ElementsAre(0.0f, 2.5f, 2.5f));
}

TEST(RankVariables, MissingValuesTakeNoPosition) {
  DataBuilder b({kRankedTies, kRanked}, {{5, -1, 7}, {5, -1, 7}});
  rank_variables(b.data());
  EXPECT_THAT(b.column(1), ElementsAre(1.0f, -1.0f, 2.0f));
  EXPECT_THAT(b.ties(1), ElementsAre(1, 0, 1));
  EXPECT_THAT(b.column(2), ElementsAre(1.0f, -1.0f, 2.0f));
  EXPECT_EQ(b.data().variable_range(2), 1.0f);
}

TEST(RankVariables, Type33GetsTheRangeOfItsNonZeroValuesAndBecomesType3) {
  DataBuilder b({kIntervalDoubleZero}, {{0, 2, 6, -1}});
  rank_variables(b.data());
  EXPECT_EQ(b.data().variable_range(1), 4.0f);
  EXPECT_EQ(b.data().variable_min(1), 2.0f);
  EXPECT_EQ(b.data().variable_type(1), kRankedDoubleZero);
  EXPECT_THAT(b.column(1), ElementsAre(0.0f, 2.0f, 6.0f, -1.0f));
}

TEST(RankVariables, StartingValuesTakePartInTheRangeSearch) {
  DataBuilder b({kInterval, kInterval}, {{200000, 300000, -1}, {-5, -3, -2}});
  rank_variables(b.data());
  EXPECT_EQ(b.data().variable_min(1), 100000.0f);
  EXPECT_EQ(b.data().variable_range(1), 200000.0f);
  EXPECT_EQ(b.data().variable_min(2), -5.0f);
  EXPECT_EQ(b.data().variable_range(2), 5.0f);
}

TEST(RankVariables, ColumnWithoutValuesKeepsItsStartingRange) {
  DataBuilder b({kInterval, kIntervalDoubleZero}, {{-1, -1}, {0, -1}});
  rank_variables(b.data());
  EXPECT_EQ(b.data().variable_range(1), -100000.0f);
  EXPECT_EQ(b.data().variable_range(2), -100000.0f);
}

TEST(RankVariables, RankedColumnsWithoutTheNamedObjectsGetRangeZero) {
  DataBuilder b({kRankedTies, kRankedTiesDoubleZero, kRankedDoubleZero, kRankedTiesDoubleZero},
                {{-1, -1, -1}, {-1, -1, -1}, {-1, -1, -1}, {3, -1, 3}});
  rank_variables(b.data());
  EXPECT_EQ(b.data().variable_range(1), 0.0f);
  EXPECT_EQ(b.data().variable_range(2), 0.0f);
  EXPECT_EQ(b.data().variable_range(3), 0.0f);
  // All values in the lowest group: no second minimum.
  EXPECT_EQ(b.data().variable_range(4), 0.0f);
  EXPECT_THAT(b.column(4), ElementsAre(0.0f, -1.0f, 0.0f));
}

TEST(RankVariables, Type3WithOnlyTheLowestGroupComesOutNearMinus1E31) {
  DataBuilder b({kRankedDoubleZero}, {{2, 2, -1}});
  rank_variables(b.data());
  EXPECT_THAT(b.column(1), ElementsAre(0.0f, 0.0f, -1.0f));
  EXPECT_LT(b.data().variable_range(1), -0.99e31f);
}

TEST(RankVariables, AllEqualValuesGiveZeroOrNegativeRanges) {
  DataBuilder b({kRanked, kRankedTies}, {{4, 4, 4}, {4, 4, 4}});
  rank_variables(b.data());
  EXPECT_EQ(b.data().variable_range(1), 0.0f);
  EXPECT_EQ(b.data().variable_range(2), -2.0f);
}

TEST(FindUnusableValue, RefusesNaNInfinityAndValuesAbove1E31) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  {
    DataBuilder b({kInterval, kRankedTies}, {{1, 2}, {1, inf}});
    const auto message = find_unusable_value(b.data());
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(*message,
              "Value INF of object 2 cannot be ranked in variable 2 (ranked values must not "
              "exceed 1.0E31)");
  }
  // NaN (written NA or NaN) and infinities poison any variable's scores.
  for (const int32_t type : {kMismatch, kCircular, kInterval, kIntervalDoubleZero}) {
    DataBuilder b({kInterval, type}, {{1, 2, 3}, {4, -inf, nan}});
    EXPECT_EQ(find_unusable_value(b.data()).value(),
              "Value -INF of object 2 cannot be used in variable 2 (missing values are written "
              "-1)");
  }
  {
    DataBuilder b({kRanked}, {{1, nan}});
    EXPECT_EQ(find_unusable_value(b.data()).value().substr(0, 28), "Value NaN of object 2 cannot");
  }
  {
    DataBuilder b({kRankedDoubleZero}, {{2e31f}});
    EXPECT_EQ(find_unusable_value(b.data()).value().substr(0, 18), "Value above 1.0E31");
  }
}

TEST(FindUnusableValue, ExactlyOnePointZeroE31StillRanks) {
  DataBuilder b({kRanked}, {{1.0e31f, 3, -1.0e31f}});
  EXPECT_FALSE(find_unusable_value(b.data()).has_value());
  rank_variables(b.data());
  EXPECT_THAT(b.column(1), ElementsAre(3.0f, 2.0f, 1.0f));
}

}  // namespace
}  // namespace tova

namespace tova {
namespace {

// The sorted ranking must leave every bit as the literal group search does:
// ranks, tie counts, ranges, over columns with ties, zeros and missing values.
TEST(RankVariables, SortedRankingMatchesTheGroupSearch) {
  uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  for (int trial = 0; trial < 200; ++trial) {
    const int32_t n = 1 + static_cast<int32_t>(next() % 60);
    std::vector<int32_t> types;
    std::vector<std::vector<float>> columns;
    for (const int32_t type : {kRankedTiesDoubleZero, kRankedDoubleZero, kRankedTies, kRanked,
                               kInterval, kIntervalDoubleZero}) {
      types.push_back(type);
      std::vector<float> column;
      const uint32_t distinct = 1 + next() % 12;
      for (int32_t i = 0; i < n; ++i) {
        const uint32_t r = next() % 100;
        column.push_back(r < 8    ? -1.0f
                         : r < 25 ? 0.0f
                                  : static_cast<float>(next() % distinct) * 0.7f);
      }
      columns.push_back(column);
    }
    test_support::DataBuilder sorted(types, columns);
    test_support::DataBuilder searched(types, columns);
    rank_variables(sorted.data());
    rank_variables(searched.data(), rank_column_group_search);
    for (int32_t j = 1; j <= static_cast<int32_t>(types.size()); ++j) {
      const std::vector<float> a = sorted.column(j);
      const std::vector<float> b = searched.column(j);
      ASSERT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(float)), 0) << trial << " " << j;
      ASSERT_EQ(sorted.ties(j), searched.ties(j)) << trial << " " << j;
      const float ra = sorted.data().variable_range(j);
      const float rb = searched.data().variable_range(j);
      ASSERT_EQ(std::memcmp(&ra, &rb, sizeof ra), 0) << trial << " " << j;
      ASSERT_EQ(sorted.data().variable_type(j), searched.data().variable_type(j));
    }
  }
}

}  // namespace
}  // namespace tova
