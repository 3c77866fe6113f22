#include "analysis/eigen.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "support/recorded_progress.h"

namespace tova {
namespace {

using test_support::RecordedProgress;

struct Eigen {
  std::vector<float> packed;
  std::vector<float> vectors;
  RecordedProgress progress;
  int32_t n;

  // `full` holds the upper triangle of a symmetric matrix row by row.
  explicit Eigen(const std::vector<std::vector<double>>& full)
      : packed(packed_size(static_cast<int64_t>(full.size()))),
        vectors(full.size() * full.size(), -7.0f),
        n(static_cast<int32_t>(full.size())) {
    for (int64_t j = 1; j <= n; ++j) {
      for (int64_t i = 1; i <= j; ++i) {
        packed[packed_position(i, j) - 1] = static_cast<float>(full[i - 1][j - 1]);
      }
    }
    jacobi_eigen(n, Vector<float>(packed.data(), packed_size(n)),
                 Vector<float>(vectors.data(), static_cast<int64_t>(n) * n), progress);
  }
  float value(int64_t k) const { return packed[packed_position(k, k) - 1]; }
  float vector(int64_t i, int64_t j) const { return vectors[(i - 1) + (j - 1) * n]; }
};

std::vector<std::vector<double>> equicorrelation(int32_t n, double r) {
  std::vector<std::vector<double>> a(n, std::vector<double>(n, r));
  for (int32_t i = 0; i < n; ++i) a[i][i] = 1.0;
  return a;
}

TEST(JacobiEigen, TwoByTwoWithHalfOffTheDiagonal) {
  Eigen e(equicorrelation(2, 0.5));
  EXPECT_FLOAT_EQ(e.value(1), 1.5f);
  EXPECT_FLOAT_EQ(e.value(2), 0.5f);
  EXPECT_NEAR(e.vector(1, 1), 0.70711, 1e-5);
  EXPECT_NEAR(e.vector(2, 1), 0.70711, 1e-5);
  EXPECT_NEAR(e.vector(1, 2), -0.70711, 1e-5);
  EXPECT_NEAR(e.vector(2, 2), 0.70711, 1e-5);
  // 1.414 * sqrt(0.25) * 1.0E-6 / 2, as stored.
  ASSERT_EQ(e.progress.finals.size(), 1u);
  EXPECT_EQ(e.progress.finals[0], static_cast<float>(static_cast<double>(0.707f) * 1.0e-6f / 2));
  ASSERT_EQ(e.progress.levels.size(), 21u);
  EXPECT_EQ(e.progress.levels[0], 0.3535f);
  EXPECT_EQ(e.progress.levels[1], 0.17675f);
  for (size_t k = 1; k < e.progress.levels.size(); ++k) {
    EXPECT_EQ(e.progress.levels[k], e.progress.levels[k - 1] / 2);
  }
}

TEST(JacobiEigen, LevelCountDependsOnTheOrder) {
  EXPECT_EQ(Eigen(equicorrelation(3, 0.3)).progress.levels.size(), 14u);
  EXPECT_EQ(Eigen(equicorrelation(4, 0.3)).progress.levels.size(), 11u);
  EXPECT_EQ(Eigen(equicorrelation(4, -0.2)).progress.levels.size(), 11u);
}

TEST(JacobiEigen, DiagonalMatrixIsOnlySorted) {
  Eigen e({{1, 0, 0}, {0, 1, 0}, {0, 0, 2}});
  EXPECT_TRUE(e.progress.finals.empty());
  EXPECT_TRUE(e.progress.levels.empty());
  EXPECT_EQ(e.value(1), 2.0f);
  EXPECT_EQ(e.value(2), 1.0f);
  EXPECT_EQ(e.value(3), 1.0f);
  // Columns e3, e2, e1: the first exchange swaps 1 and 3, equal values stay.
  EXPECT_THAT(e.vectors, ::testing::ElementsAre(0, 0, 1, 0, 1, 0, 1, 0, 0));
}

TEST(JacobiEigen, OrderOneWritesNothing) {
  Eigen e(std::vector<std::vector<double>>{{0.25}});
  EXPECT_TRUE(e.progress.finals.empty());
  EXPECT_EQ(e.value(1), 0.25f);
  EXPECT_THAT(e.vectors, ::testing::ElementsAre(1.0f));
}

TEST(JacobiEigen, NotANumberOffTheDiagonalSkipsTheIteration) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Eigen e({{1, nan}, {nan, 2}});
  EXPECT_TRUE(e.progress.levels.empty());
  EXPECT_EQ(e.value(1), 2.0f);
  EXPECT_THAT(e.vectors, ::testing::ElementsAre(0, 1, 1, 0));
}

TEST(JacobiEigen, InfiniteElementEndsWithoutSweepingForever) {
  const double inf = std::numeric_limits<double>::infinity();
  Eigen e({{1, inf, 0.5}, {inf, 1, 0.5}, {0.5, 0.5, 1}});
  EXPECT_EQ(e.progress.finals.size(), 1u);
}

// Q diag(lambda) Q^T with a random orthogonal Q, in double.
std::vector<std::vector<double>> known_spectrum(const std::vector<double>& lambda,
                                                std::mt19937& random) {
  const size_t n = lambda.size();
  std::normal_distribution<double> normal;
  std::vector<std::vector<double>> q(n, std::vector<double>(n));
  for (auto& column : q) {
    for (double& x : column) x = normal(random);
  }
  for (size_t j = 0; j < n; ++j) {  // Gram-Schmidt, twice for accuracy
    for (int pass = 0; pass < 2; ++pass) {
      for (size_t k = 0; k < j; ++k) {
        double dot = 0;
        for (size_t i = 0; i < n; ++i) dot += q[j][i] * q[k][i];
        for (size_t i = 0; i < n; ++i) q[j][i] -= dot * q[k][i];
      }
    }
    double norm = 0;
    for (double x : q[j]) norm += x * x;
    for (double& x : q[j]) x /= std::sqrt(norm);
  }
  std::vector<std::vector<double>> a(n, std::vector<double>(n, 0.0));
  for (size_t i = 0; i < n; ++i) {
    for (size_t j = 0; j < n; ++j) {
      for (size_t k = 0; k < n; ++k) a[i][j] += q[k][i] * lambda[k] * q[k][j];
    }
  }
  return a;
}

TEST(JacobiEigen, RandomMatricesOfKnownSpectrum) {
  std::mt19937 random(20261208);
  for (int32_t n : {2, 3, 5, 8, 12, 17}) {
    for (int trial = 0; trial < 5; ++trial) {
      std::uniform_real_distribution<double> spread(-2.0, 5.0);
      std::vector<double> lambda(n);
      for (double& x : lambda) x = spread(random);
      const auto a = known_spectrum(lambda, random);
      Eigen e(a);
      std::sort(lambda.rbegin(), lambda.rend());
      for (int64_t k = 1; k <= n; ++k) {
        EXPECT_NEAR(e.value(k), lambda[k - 1], 2e-5 * n) << "n=" << n << " k=" << k;
        if (k > 1) {
          EXPECT_GE(e.value(k - 1), e.value(k));
        }
      }
      for (int64_t j = 1; j <= n; ++j) {
        for (int64_t k = 1; k <= n; ++k) {
          double dot = 0;
          for (int64_t i = 1; i <= n; ++i) dot += double(e.vector(i, j)) * e.vector(i, k);
          EXPECT_NEAR(dot, j == k ? 1.0 : 0.0, 1e-5 * n) << "n=" << n;
        }
        for (int64_t i = 1; i <= n; ++i) {  // A v = lambda v
          double av = 0;
          for (int64_t k = 1; k <= n; ++k) av += a[i - 1][k - 1] * e.vector(k, j);
          EXPECT_NEAR(av, double(e.value(j)) * e.vector(i, j), 5e-5 * n) << "n=" << n;
        }
      }
    }
  }
}

}  // namespace
}  // namespace tova
