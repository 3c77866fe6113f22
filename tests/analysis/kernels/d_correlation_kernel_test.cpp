// The D-correlation kernels: hand-worked cases, and the fast kernel against
// the plain one bit for bit on random data of every type code, for every
// instruction set the processor runs and several thread counts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "analysis/kernels/simd_kernels.h"
#include "analysis/kernels/support/random_data.h"
#include "analysis/rules.h"
#include "reference/kernels_reference.h"

namespace tova::kernels {
namespace {

using testing::all_kernels;
using testing::bits;
using testing::DataSet;
using testing::RandomSpec;

struct Matrices {
  std::vector<float> correlation;
  std::vector<float> distance;
};

Matrices run_plain(const DataSet& s) {
  Matrices out{std::vector<float>(static_cast<size_t>(s.variables * s.variables), -7.0f),
               std::vector<float>(static_cast<size_t>(s.variables * s.variables), -7.0f)};
  d_correlation_plain(s.view(), out.correlation.data(), out.distance.data());
  return out;
}

Matrices run_fast(const DataSet& s, int threads, const SimdKernels& kernels) {
  Matrices out{std::vector<float>(static_cast<size_t>(s.variables * s.variables), -7.0f),
               std::vector<float>(static_cast<size_t>(s.variables * s.variables), -7.0f)};
  d_correlation_fast(s.view(), out.correlation.data(), out.distance.data(), threads, kernels);
  return out;
}

// memcmp of the matrices; on a difference, the first element that differs.
void expect_same_bits(const Matrices& want, const Matrices& got, int64_t m, const char* what) {
  for (int which = 0; which < 2; ++which) {
    const std::vector<float>& a = which == 0 ? want.correlation : want.distance;
    const std::vector<float>& b = which == 0 ? got.correlation : got.distance;
    if (std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0) continue;
    for (size_t e = 0; e < a.size(); ++e) {
      if (bits(a[e]) != bits(b[e])) {
        ADD_FAILURE() << what << ": " << (which == 0 ? "d_correlation" : "squared_distance") << "("
                      << e % m + 1 << ", " << e / m + 1 << ") plain " << a[e] << " [0x" << std::hex
                      << bits(a[e]) << "] fast " << b[e] << " [0x" << bits(b[e]) << std::dec << "]";
        break;
      }
    }
  }
}

// Every fast path against the plain loops.
void check_all_paths(const DataSet& s, const std::string& label) {
  const Matrices plain = run_plain(s);
  for (const SimdKernels* kernels : all_kernels()) {
    for (int threads : {1, 2, 3}) {
      const std::string what = label + " " + kernels->name + " threads " + std::to_string(threads);
      expect_same_bits(plain, run_fast(s, threads, *kernels), s.variables, what.c_str());
    }
  }
}

float at(const std::vector<float>& matrix, int64_t m, int64_t k, int64_t l) {
  return matrix[static_cast<size_t>((k - 1) + (l - 1) * m)];
}

// ---------------------------------------------------------------------------
// Hand-worked cases.

TEST(DCorrelationCases, OneVariableHasOnlyTheDiagonal) {
  const DataSet s = testing::prepare(3, {7}, {{1, 2, 3}});
  const Matrices plain = run_plain(s);
  EXPECT_EQ(plain.correlation[0], 1.0f);
  EXPECT_EQ(plain.distance[0], 0.0f);
  check_all_paths(s, "m = 1");
}

TEST(DCorrelationCases, EqualIntervalVariablesCorrelateFully) {
  const DataSet s = testing::prepare(3, {7, 7}, {{0, 1, 2}, {0, 1, 2}});
  const Matrices plain = run_plain(s);
  EXPECT_EQ(at(plain.correlation, 2, 1, 2), 1.0f);
  EXPECT_EQ(at(plain.correlation, 2, 2, 1), 1.0f);
  EXPECT_EQ(at(plain.distance, 2, 1, 2), 0.0f);
  EXPECT_EQ(at(plain.correlation, 2, 1, 1), 1.0f);
  EXPECT_EQ(at(plain.distance, 2, 2, 2), 0.0f);
  check_all_paths(s, "equal");
}

TEST(DCorrelationCases, ReversedIntervalVariablesCorrelateNegatively) {
  const DataSet s = testing::prepare(3, {7, 7}, {{0, 1, 2}, {2, 1, 0}});
  const Matrices plain = run_plain(s);
  EXPECT_EQ(at(plain.correlation, 2, 1, 2), -1.0f);
  EXPECT_EQ(at(plain.distance, 2, 1, 2), 6.0f);
  EXPECT_EQ(at(plain.distance, 2, 2, 1), 6.0f);
  check_all_paths(s, "reversed");
}

TEST(DCorrelationCases, UnorderedPartnerTakesUnsignedScores) {
  const DataSet s = testing::prepare(3, {7, 1}, {{0, 1, 2}, {1, 1, 2}});
  const Matrices plain = run_plain(s);
  EXPECT_EQ(at(plain.correlation, 2, 1, 2), 0.5f);
  EXPECT_EQ(at(plain.distance, 2, 1, 2), 0.5f);
  check_all_paths(s, "unordered partner");
}

TEST(DCorrelationCases, NotComparablePairsTakeTheMeanScore) {
  // 0, 2, 5, 7 prepared to 0, 2, 3, 4 with range 2 (type 3); 1, 2, 3, 4 with
  // range 3 (type 7).
  const DataSet s = testing::prepare(4, {3, 7}, {{0, 2, 5, 7}, {1, 2, 3, 4}});
  ASSERT_EQ(s.data[1], 2.0f);
  ASSERT_EQ(s.data[3], 4.0f);
  ASSERT_EQ(s.range[0], 2.0f);
  ASSERT_EQ(s.range[1], 3.0f);
  const Matrices plain = run_plain(s);
  // 1/sqrt(5) and 7/18 in exact arithmetic. The single-precision chains
  // land a few units in the last place away (the means -2/3 and the
  // cancellations in the numerator and in a and b); these are the bits
  // that the defined roundings give, worked out apart from this code.
  EXPECT_NEAR(at(plain.correlation, 2, 1, 2), 1.0 / std::sqrt(5.0), 1e-6);
  EXPECT_NEAR(at(plain.distance, 2, 1, 2), 7.0 / 18.0, 1e-7);
  EXPECT_EQ(at(plain.correlation, 2, 1, 2), 0.4472143352031708f);
  EXPECT_EQ(at(plain.distance, 2, 1, 2), 0.3888888359069824f);
  check_all_paths(s, "double zero");
}

TEST(DCorrelationCases, NaNOfTheFirstOperandWins) {
  // The type-7 score inf/inf is -NaN, the type-33 score |inf - inf| / R is
  // +NaN: every sum, product and difference of the two keeps the sign of
  // the formula's first operand, which is K's, whichever variable the fast
  // kernel puts first.
  const float inf = INFINITY;
  const DataSet ordered = testing::prepare(2, {7, 33}, {{inf, 1e-30f}, {inf, inf}});
  const Matrices plain = run_plain(ordered);
  EXPECT_EQ(bits(at(plain.correlation, 2, 1, 2)), 0xffc00000u);
  EXPECT_EQ(bits(at(plain.distance, 2, 1, 2)), 0xffc00000u);
  check_all_paths(ordered, "-NaN first");
  const DataSet reversed = testing::prepare(2, {33, 7}, {{inf, inf}, {inf, 1e-30f}});
  const Matrices swapped = run_plain(reversed);
  EXPECT_EQ(bits(at(swapped.correlation, 2, 1, 2)), 0x7fc00000u);
  EXPECT_EQ(bits(at(swapped.distance, 2, 1, 2)), 0x7fc00000u);
  check_all_paths(reversed, "+NaN first");
}

TEST(DCorrelationCases, CircularDistancesStayInDouble) {
  // d = 23.96 - 0.174 and c = 24 - d are compared and divided unrounded:
  // against a nominal variable that scores 0 the squared distance is the
  // square of the circular score 0.01783341 (not 0.01783339).
  const DataSet s = testing::prepare(2, {6, 1}, {{23.96f, 0.174f}, {1, 1}}, {24, 0});
  EXPECT_EQ(bits(at(run_plain(s).distance, 2, 1, 2)), bits(square(0.01783341f)));
  check_all_paths(s, "decimal circular");
}

TEST(DCorrelationCases, MissingValueRemovesOnlyItsVariablesPairs) {
  // Object 2 is missing in variable 1: pairs (1,2) and (2,3) leave the
  // correlations of variable 1, but not that of variables 2 and 3.
  const DataSet s = testing::prepare(4, {7, 7, 7}, {{0, -1, 2, 3}, {0, 5, 1, 2}, {0, 4, 1, 3}});
  const DataSet without = testing::prepare(3, {7, 7}, {{0, 2, 3}, {0, 1, 2}});
  const DataSet others = testing::prepare(4, {7, 7}, {{0, 5, 1, 2}, {0, 4, 1, 3}});
  const Matrices plain = run_plain(s);
  // The ranges differ from the three-object set only for variable 2, whose
  // divisor cancels in the correlation.
  EXPECT_FLOAT_EQ(at(plain.correlation, 3, 1, 2), at(run_plain(without).correlation, 2, 1, 2));
  EXPECT_EQ(at(plain.correlation, 3, 2, 3), at(run_plain(others).correlation, 2, 1, 2));
  check_all_paths(s, "missing");
}

TEST(DCorrelationCases, IdenticalObjectsAddZeroScores) {
  const DataSet once = testing::prepare(3, {7, 4}, {{0, 1, 2}, {3, 1, 2}});
  const DataSet twice = testing::prepare(4, {7, 4}, {{0, 1, 2, 2}, {3, 1, 2, 2}});
  EXPECT_TRUE(std::isfinite(at(run_plain(twice).correlation, 2, 1, 2)));
  check_all_paths(once, "once");
  check_all_paths(twice, "twice");
}

TEST(DCorrelationCases, MissingPairCountStopsWhereTheFloatChainStops) {
  float chain = 0.0f;
  const int64_t limit = (int64_t{1} << 24) + 5;
  for (int64_t count = 0; count <= limit; ++count) {
    if (count % 4096 == 0 || count > limit - 10) {
      ASSERT_EQ(counted_pairs(count), chain) << count;
    }
    chain = f32(static_cast<double>(chain) + 1.0);
  }
}

// ---------------------------------------------------------------------------
// Contraction guard. The squared distance adds squares rounded to single
// precision; a fused multiply-add would skip that rounding. The data are
// chosen so that skipping it changes the last bit.

TEST(DCorrelationCases, SquaresAreRoundedBeforeTheyAreAdded) {
  std::mt19937 random(17);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  for (int attempt = 0; attempt < 1000; ++attempt) {
    // Type 7 over range 1 against a constant nominal variable: the scores of
    // the pairs (1,2), (1,3), (2,3) are |x1 - x2|, |x1 - x3|, |x2 - x3| and
    // the partner's are 0, so the squared distance is the sum of their
    // squares.
    const float x2 = unit(random), x3 = 1.0f;
    DataSet s = testing::prepare(3, {7, 1}, {{0.0f, x2, x3}, {1, 1, 1}});
    s.range[0] = 1.0f;
    const float scores[3] = {x2, x3, f32(std::fabs(static_cast<double>(x2) - x3))};
    volatile float separate = 0.0f;  // volatile: each step stored, nothing fused
    float fused = 0.0f;
    for (float score : scores) {
      volatile float square = score * score;
      separate = separate + square;
      fused = std::fma(score, score, fused);
    }
    if (bits(separate) == bits(fused)) continue;
    const Matrices plain = run_plain(s);
    EXPECT_EQ(bits(at(plain.distance, 2, 1, 2)), bits(separate)) << "plain fused";
    for (const SimdKernels* kernels : all_kernels()) {
      const Matrices fast = run_fast(s, 1, *kernels);
      EXPECT_EQ(bits(at(fast.distance, 2, 1, 2)), bits(separate)) << kernels->name << " fused";
    }
    return;
  }
  FAIL() << "no data set found where fusing changes the sum";
}

// ---------------------------------------------------------------------------
// Fast against plain on random data.

struct Shape {
  int64_t objects;
  int64_t variables;
};

TEST(DCorrelationFast, MatchesPlainOnMixedTypes) {
  const Shape shapes[] = {{0, 3},   {1, 4},  {2, 2},    {3, 5},   {5, 9},  {17, 17},
                          {33, 23}, {61, 9}, {130, 31}, {40, 37}, {260, 6}};
  uint64_t seed = 1;
  for (const Shape& shape : shapes) {
    for (double missing : {0.0, 0.1}) {
      RandomSpec spec;
      spec.objects = shape.objects;
      spec.types = testing::mixed_types(shape.variables, static_cast<int>(seed % 9));
      spec.missing_rate = missing;
      spec.seed = seed++;
      check_all_paths(testing::random_data(spec), "n " + std::to_string(shape.objects) + " m " +
                                                      std::to_string(shape.variables) +
                                                      " missing " + std::to_string(missing));
    }
  }
}

TEST(DCorrelationFast, MatchesPlainForEachTypeCode) {
  for (int32_t type : {1, 2, 3, 4, 5, 6, 7, 33, 34}) {
    for (int64_t m : {3, 8, 13, 18}) {
      RandomSpec spec;
      spec.objects = 29;
      spec.types.assign(static_cast<size_t>(m), type);
      spec.types[0] = 7;  // an ordered partner for the unordered types
      spec.missing_rate = 0.05;
      spec.seed = static_cast<uint64_t>(type * 100 + m);
      check_all_paths(testing::random_data(spec),
                      "type " + std::to_string(type) + " m " + std::to_string(m));
    }
  }
}

TEST(DCorrelationFast, MatchesPlainForEveryFewVariableCount) {
  // Every m up to past two vectors of variables: pair counts off the vector
  // width, rows of scores from one to four vectors, a last part square of
  // one or two scores, the pairs without a double-zero variable apart or
  // not; the object pairs run over blocks and end off a vector of them.
  uint64_t seed = 500;
  for (int64_t m = 2; m <= 34; m += m < 22 ? 1 : 4) {
    for (double missing : {0.0, 0.1}) {
      RandomSpec spec;
      spec.objects = 24 + m % 7;
      spec.types = testing::mixed_types(m, static_cast<int>(seed % 9));
      spec.missing_rate = missing;
      spec.seed = seed++;
      check_all_paths(testing::random_data(spec),
                      "m " + std::to_string(m) + " missing " + std::to_string(missing));
    }
  }
}

TEST(DCorrelationFast, MatchesPlainWhenOrderedVariablesNeedBothScores) {
  // Ordered and unordered variables alternating: every ordered one needs
  // its signed and its unsigned score, an unordered one a single score, so
  // rows run from a part square of one or two scores to four vectors;
  // double-zero ones first, last or throughout.
  const int32_t pattern[][2] = {{7, 1}, {33, 6}, {4, 34}, {2, 1}};
  for (int64_t m = 9; m <= 32; m += 1 + m / 12) {
    for (const auto& types : pattern) {
      RandomSpec spec;
      spec.objects = 19 + m % 5;
      for (int64_t j = 0; j < m; ++j) spec.types.push_back(types[j % 2]);
      spec.missing_rate = 0.1;
      spec.seed = static_cast<uint64_t>(m * 10 + types[0]);
      check_all_paths(testing::random_data(spec), "alternating " + std::to_string(types[0]) + "/" +
                                                      std::to_string(types[1]) + " m " +
                                                      std::to_string(m));
    }
  }
}

TEST(DCorrelationFast, MatchesPlainWithNaNsOfBothSigns) {
  // Few variables (packed vectors of pairs) and many; the double-zero
  // variables both before and after the others in the data.
  uint64_t seed = 300;
  for (const int64_t objects : {2, 5, 23}) {
    for (const int64_t variables : {2, 7, 11, 40}) {
      RandomSpec spec;
      spec.objects = objects;
      spec.types = testing::mixed_types(variables, static_cast<int>(seed % 9));
      spec.missing_rate = 0.05;
      spec.infinite_rate = 0.2;
      spec.seed = seed++;
      check_all_paths(testing::random_data(spec), "infinite values n " + std::to_string(objects) +
                                                      " m " + std::to_string(variables));
    }
  }
}

TEST(DCorrelationFast, MatchesPlainOnDegenerateColumns) {
  // A constant interval column (range 0: infinite and not-a-number scores),
  // a column with every value missing, and a double-zero column of zeros
  // only (no comparable score: the mean is not a number).
  DataSet s = testing::prepare(6, {7, 7, 3, 2, 5, 1},
                               {{2, 2, 2, 2, 2, 2},
                                {-1, -1, -1, -1, -1, -1},
                                {0, 0, -1, 0, 0, 0},
                                {0, 3, 0, 4, 0, 5},
                                {1, 2, 3, 4, 5, 6},
                                {1, 2, 1, 2, 1, 3}});
  check_all_paths(s, "degenerate");
  // A double-zero variable none of whose pairs can be compared: its mean is
  // 0/0, and every marker becomes not a number.
  const DataSet no_mean = testing::prepare(3, {3, 7}, {{0, 5, -1}, {1, 2, 4}});
  check_all_paths(no_mean, "no comparable pair");
}

TEST(DCorrelationFast, OrdinaryScoreEqualToTheMarkerTakesTheMean) {
  // With a range smaller than the values' spread an interval variable can
  // score exactly the marker; paired with a double-zero variable that score
  // enters as the mean of the others, as any marker does.
  for (int64_t m : {2, 12, 40}) {
    RandomSpec spec;
    spec.objects = 30;
    spec.types = testing::mixed_types(m, 6);  // 7 first, then 33, 34, 1, ...
    spec.seed = static_cast<uint64_t>(m);
    DataSet s = testing::random_data(spec);
    s.data[0] = 5.0f;
    s.data[1] = 0.0f;
    s.range[0] = 1.0f;
    check_all_paths(s, "marker from an interval variable, m " + std::to_string(m));
  }
}

TEST(DCorrelationFast, ResultsDoNotDependOnTheThreadCount) {
  RandomSpec spec;
  spec.objects = 150;
  spec.types = testing::mixed_types(40);
  spec.missing_rate = 0.05;
  spec.seed = 99;
  const DataSet s = testing::random_data(spec);
  const SimdKernels& kernels = preferred_simd_kernels();
  const Matrices one = run_fast(s, 1, kernels);
  for (int threads : {2, 3, 5, 64})
    expect_same_bits(one, run_fast(s, threads, kernels), 40, "threads");
}

}  // namespace
}  // namespace tova::kernels
