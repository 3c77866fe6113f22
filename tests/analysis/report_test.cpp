#include "analysis/report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "analysis/eigen.h"
#include "analysis/tova.h"
#include "support/recorded_progress.h"

namespace tova {
namespace {

struct OrdinationRun {
  std::vector<float> packed, vectors, eigenvalues, percentages;
  Ordination result;
  int32_t n;

  explicit OrdinationRun(std::vector<float> square) : n(0) {
    while (static_cast<size_t>(n) * n < square.size()) ++n;
    packed.assign(packed_size(n), 0);
    vectors.assign(static_cast<size_t>(n) * n, 0);
    eigenvalues.assign(n, 0);
    percentages.assign(n, 0);
    result.packed = Vector<float>(packed.data(), packed_size(n));
    result.vectors = Vector<float>(vectors.data(), static_cast<int64_t>(n) * n);
    result.eigenvalues = Vector<float>(eigenvalues.data(), n);
    result.percentages = Vector<float>(percentages.data(), n);
    test_support::RecordedProgress progress;
    api::in_place::ordinate(Matrix<float>(square.data(), n, n), result, progress);
  }
  float loading(int64_t i, int64_t j) const { return vectors[(i - 1) + (j - 1) * n]; }
};

TEST(PackLowerTriangle, TakesTheLowerTriangleRowByRow) {
  std::vector<float> square{11, 21, 31, 12, 22, 32, 13, 23, 33};  // column-major
  std::vector<float> packed(6);
  pack_lower_triangle(3, Matrix<float>(square.data(), 3, 3), Vector<float>(packed.data(), 6));
  EXPECT_THAT(packed, ::testing::ElementsAre(11, 21, 22, 31, 32, 33));
}

TEST(PositiveComponents, TwoByTwoWorkedExample) {
  OrdinationRun run({1.0f, 0.5f, 0.5f, 1.0f});
  EXPECT_EQ(run.result.positive_count, 2);
  EXPECT_FLOAT_EQ(run.result.positive_sum, 2.0f);
  EXPECT_FLOAT_EQ(run.percentages[0], 75.0f);
  EXPECT_FLOAT_EQ(run.percentages[1], 25.0f);
  EXPECT_NEAR(run.loading(1, 1), 0.866025, 1e-6);
  EXPECT_NEAR(run.loading(1, 2), -0.5, 1e-6);
  EXPECT_NEAR(run.loading(2, 1), 0.866025, 1e-6);
  EXPECT_NEAR(run.loading(2, 2), 0.5, 1e-6);
}

TEST(PositiveComponents, LoadingSquaresSumToTheDiagonal) {
  OrdinationRun run({1.0f, 0.3f, -0.2f, 0.3f, 1.0f, 0.6f, -0.2f, 0.6f, 1.0f});
  ASSERT_EQ(run.result.positive_count, 3);
  float total = 0;
  for (int64_t i = 1; i <= 3; ++i) {
    double sum = 0;
    for (int64_t j = 1; j <= 3; ++j) sum += double(run.loading(i, j)) * run.loading(i, j);
    EXPECT_NEAR(sum, 1.0, 1e-5);
    total += run.percentages[i - 1];
  }
  EXPECT_NEAR(total, 100.0, 1e-4);
}

TEST(PositiveComponents, ZeroAndNegativeEigenvaluesAreNotCounted) {
  // Eigenvalues 2, 0 and -1 (diagonal): only the 2 counts.
  OrdinationRun run({2.0f, 0, 0, 0, 0.0f, 0, 0, 0, -1.0f});
  EXPECT_EQ(run.result.positive_count, 1);
  EXPECT_EQ(run.result.positive_sum, 2.0f);
  EXPECT_THAT(run.eigenvalues, ::testing::ElementsAre(2.0f, 0.0f, -1.0f));
  EXPECT_EQ(run.percentages[0], 100.0f);
  EXPECT_EQ(run.percentages[1], 0.0f);
  // Column 2 and 3 stay unscaled unit vectors.
  EXPECT_EQ(run.loading(2, 2), 1.0f);
  EXPECT_EQ(run.loading(1, 1), static_cast<float>(std::sqrt(2.0)));
}

}  // namespace
}  // namespace tova
