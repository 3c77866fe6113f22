// The eigenanalysis against the plain routine it replaced: the same bits
// of eigenvalues, remains and eigenvectors, and the same progress values,
// on random symmetric matrices and on awkward ones.
#include "reference/eigen_reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "analysis/eigen.h"
#include "support/recorded_progress.h"

namespace tova {
namespace {

using test_support::RecordedProgress;

struct Outcome {
  std::vector<float> packed;
  std::vector<float> vectors;
  RecordedProgress progress;
};

template <class Routine>
Outcome run(Routine routine, const std::vector<float>& input, int32_t order) {
  Outcome o;
  o.packed = input;
  // Whatever `vectors` holds on entry is overwritten.
  o.vectors.assign(static_cast<size_t>(order) * order, 3.0f);
  routine(order, Vector<float>(o.packed.data(), packed_size(order)),
          Vector<float>(o.vectors.data(), static_cast<int64_t>(order) * order), o.progress);
  return o;
}

bool same_bits(const std::vector<float>& x, const std::vector<float>& y) {
  return x.size() == y.size() &&
         (x.empty() || std::memcmp(x.data(), y.data(), x.size() * sizeof(float)) == 0);
}

void expect_same(const std::vector<float>& input, int32_t order, const char* what) {
  const Outcome fast = run([](int32_t o, Vector<float> a, Vector<float> v,
                              EigenProgress& p) { jacobi_eigen(o, a, v, p); },
                           input, order);
  const Outcome plain = run(jacobi_eigen_reference, input, order);
  EXPECT_TRUE(same_bits(fast.packed, plain.packed)) << what << ", order " << order;
  EXPECT_TRUE(same_bits(fast.vectors, plain.vectors)) << what << ", order " << order;
  EXPECT_TRUE(same_bits(fast.progress.in_order, plain.progress.in_order))
      << what << ", order " << order;
}

// A correlation-like matrix: unit diagonal, off-diagonal values in (-1, 1).
std::vector<float> random_symmetric(int32_t order, std::mt19937& random, double scale) {
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  std::vector<float> packed(static_cast<size_t>(packed_size(order)));
  for (int64_t j = 1; j <= order; ++j) {
    for (int64_t i = 1; i <= j; ++i) {
      packed[packed_position(i, j) - 1] = i == j ? static_cast<float>(1.0 + scale * uniform(random))
                                                 : static_cast<float>(scale * uniform(random));
    }
  }
  return packed;
}

TEST(EigenReferenceTest, RandomOrdersOneToForty) {
  std::mt19937 random(17);
  for (int32_t order = 1; order <= 40; ++order) {
    expect_same(random_symmetric(order, random, 0.5), order, "random");
    expect_same(random_symmetric(order, random, 100.0), order, "wide");
  }
}

TEST(EigenReferenceTest, RandomOrderTwoHundred) {
  std::mt19937 random(23);
  expect_same(random_symmetric(200, random, 0.3), 200, "random");
}

TEST(EigenReferenceTest, AwkwardMatrices) {
  std::mt19937 random(29);
  for (const int32_t order : {2, 3, 7, 16, 33}) {
    // Diagonal, with ties: no rotation, only the sort.
    std::vector<float> diagonal(static_cast<size_t>(packed_size(order)), 0.0f);
    for (int64_t k = 1; k <= order; ++k) diagonal[packed_position(k, k) - 1] = (k % 3) * 1.0f;
    expect_same(diagonal, order, "diagonal");
    // Every element equal, and every element zero.
    expect_same(std::vector<float>(diagonal.size(), 0.25f), order, "equal");
    expect_same(std::vector<float>(diagonal.size(), 0.0f), order, "zero");
    // Small integers: many exact ties in the rotations.
    std::vector<float> integers = random_symmetric(order, random, 1.0);
    for (float& x : integers) x = std::round(4.0f * x);
    expect_same(integers, order, "integers");
    // A not-a-number and an infinity among the elements.
    std::vector<float> nan = random_symmetric(order, random, 1.0);
    nan[packed_position(1, order) - 1] = std::numeric_limits<float>::quiet_NaN();
    expect_same(nan, order, "nan");
    std::vector<float> inf = random_symmetric(order, random, 1.0);
    inf[packed_position(order - 1, order) - 1] = std::numeric_limits<float>::infinity();
    expect_same(inf, order, "infinity");
    // Values near the ends of the single-precision range.
    expect_same(random_symmetric(order, random, 1e-30), order, "tiny");
    expect_same(random_symmetric(order, random, 1e18), order, "huge");
  }
}

}  // namespace
}  // namespace tova
