// The Gower kernels: hand-worked cases, and the fast kernel against the
// plain one bit for bit on random data of every type code, for every
// instruction set the processor runs and several thread counts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
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

int64_t triangle(int64_t n) {
  return packed_size(n);
}
// The packed position of the pair i <= j, both 1-based, as an index.
size_t position(int64_t i, int64_t j) {
  return static_cast<size_t>(packed_position(i, j) - 1);
}

std::vector<float> run_plain(const DataSet& s) {
  std::vector<float> out(static_cast<size_t>(triangle(s.objects)), -7.0f);
  gower_plain(s.view(), out.data());
  return out;
}
std::vector<float> run_fast(const DataSet& s, int threads, const SimdKernels& kernels) {
  std::vector<float> out(static_cast<size_t>(triangle(s.objects)), -7.0f);
  gower_fast(s.view(), out.data(), threads, kernels);
  return out;
}

void expect_same_bits(const std::vector<float>& want, const std::vector<float>& got,
                      const std::string& what) {
  ASSERT_EQ(want.size(), got.size());
  if (want.empty() || std::memcmp(want.data(), got.data(), want.size() * sizeof(float)) == 0)
    return;
  for (size_t p = 0; p < want.size(); ++p) {
    if (bits(want[p]) != bits(got[p])) {
      ADD_FAILURE() << what << ": position " << p + 1 << " plain " << want[p] << " [0x" << std::hex
                    << bits(want[p]) << "] fast " << got[p] << " [0x" << bits(got[p]) << std::dec
                    << "]";
      return;
    }
  }
}

void check_all_paths(const DataSet& s, const std::string& label) {
  const std::vector<float> plain = run_plain(s);
  for (const SimdKernels* kernels : all_kernels()) {
    for (int threads : {1, 2, 3}) {
      expect_same_bits(plain, run_fast(s, threads, *kernels),
                       label + " " + kernels->name + " threads " + std::to_string(threads));
    }
  }
}

// ---------------------------------------------------------------------------
// Hand-worked cases.

TEST(GowerCases, OneObjectGivesASingleZero) {
  const DataSet s = testing::prepare(1, {7, 1}, {{3}, {1}});
  const std::vector<float> plain = run_plain(s);
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_EQ(bits(plain[0]), bits(0.0f));
  check_all_paths(s, "one object");
}

TEST(GowerCases, NegativeVariableCountIsTheDivisor) {
  // No variable is scored; every sum 0.0 over m = -3 is -0.0.
  testing::DataSet s;
  s.objects = 3;
  s.variables = -3;
  for (float x : run_plain(s)) EXPECT_EQ(bits(x), 0x80000000u);
  check_all_paths(s, "negative count");
}

TEST(GowerCases, DiagonalPositionsEndAsZero) {
  const DataSet s = testing::prepare(
      5, {7, 6, 3}, {{1, 2, 3, 4, 5}, {0, 90, 180, 270, 10}, {0, 0, 1, 2, 3}}, {0, 360, 0});
  const std::vector<float> plain = run_plain(s);
  for (int64_t k = 1; k <= 5; ++k) EXPECT_EQ(bits(plain[position(k, k)]), bits(0.0f)) << k;
  check_all_paths(s, "diagonal");
}

TEST(GowerCases, CircularScoreTakesTheShorterWay) {
  const DataSet s = testing::prepare(2, {6}, {{10, 350}}, {360});
  const std::vector<float> plain = run_plain(s);
  EXPECT_EQ(plain[position(1, 2)], f32(2.0 * 20.0 / 360.0));
  check_all_paths(s, "circular");
}

TEST(GowerCases, CircularDistancesStayInDouble) {
  // d = 23.96 - 0.174 and c = 24 - d are not rounded to float before the
  // comparison and the quotient: 1.783341E-02, not 1.783339E-02.
  const DataSet s = testing::prepare(2, {6}, {{23.96f, 0.174f}}, {24});
  EXPECT_EQ(bits(run_plain(s)[position(1, 2)]), bits(0.01783341f));
  check_all_paths(s, "decimal circular");
}

TEST(GowerCases, NaNOfTheFirstOperandWins) {
  // inf/inf gives -NaN, |inf - inf| +NaN; the sum of the two keeps the sign
  // of the variable added first.
  const float inf = INFINITY;
  const DataSet ordered = testing::prepare(2, {7, 33}, {{inf, 1e-30f}, {inf, inf}});
  EXPECT_EQ(bits(run_plain(ordered)[position(1, 2)]), 0xffc00000u);
  check_all_paths(ordered, "-NaN first");
  const DataSet reversed = testing::prepare(2, {33, 7}, {{inf, inf}, {inf, 1e-30f}});
  EXPECT_EQ(bits(run_plain(reversed)[position(1, 2)]), 0x7fc00000u);
  check_all_paths(reversed, "+NaN first");
}

TEST(GowerCases, MissingVariableLeavesTheMean) {
  // Three variables; object 2 is missing in the second: the pair (1,2) is the
  // mean of the two other scores.
  const DataSet s = testing::prepare(3, {7, 7, 1}, {{0, 1, 4}, {1, -1, 3}, {1, 2, 1}});
  const std::vector<float> plain = run_plain(s);
  // Variable 1: |0 - 1|/4; variable 3: 1.0 (different values).
  EXPECT_EQ(plain[position(1, 2)], f32((0.25 + 1.0) / 2.0));
  check_all_paths(s, "missing");
}

TEST(GowerCases, DoubleZeroPairsScoreZeroOrTheMean) {
  // Type 3 with 0, 0, 2, 4 prepared to 0, 0, 3, 4 (range 1): the pairs of a
  // zero and a positive value take the mean of the added scores (0 for the
  // two zeros, 1 for 3 and 4): 0.5.
  const DataSet s = testing::prepare(4, {3}, {{0, 0, 2, 4}});
  ASSERT_EQ(s.range[0], 1.0f);
  const std::vector<float> plain = run_plain(s);
  EXPECT_EQ(plain[position(1, 2)], 0.0f);
  EXPECT_EQ(plain[position(3, 4)], 1.0f);
  EXPECT_EQ(plain[position(1, 3)], 0.5f);
  EXPECT_EQ(plain[position(2, 4)], 0.5f);
  check_all_paths(s, "double zero");
}

TEST(GowerCases, NominalScoresOneWhateverTheDistance) {
  const DataSet s = testing::prepare(3, {1}, {{1, 2, 9}});
  const std::vector<float> plain = run_plain(s);
  EXPECT_EQ(plain[position(1, 2)], 1.0f);
  EXPECT_EQ(plain[position(1, 3)], 1.0f);
  check_all_paths(s, "nominal");
}

TEST(GowerCases, EqualRanksScoreZeroWhateverTheTies) {
  const DataSet s = testing::prepare(4, {4, 2}, {{5, 5, 5, 7}, {3, 3, 3, 0}});
  const std::vector<float> plain = run_plain(s);
  EXPECT_EQ(plain[position(1, 2)], 0.0f);
  EXPECT_EQ(plain[position(2, 3)], 0.0f);
  check_all_paths(s, "ties");
}

TEST(GowerCases, MarkerFromAnOrdinaryVariableTakesItsMean) {
  // A circular variable with a negative period can score exactly 5.0: with
  // P = -2 and d = 3, c = -5 and 2c/P = 5. That score counts as not
  // comparable, and the fast kernel must go back for the variable's mean.
  const DataSet s = testing::prepare(4, {6, 7}, {{0, 3, 1, 1.5f}, {1, 2, 3, 4}}, {-2, 0});
  ASSERT_EQ(circular_score(0, 3, -2), kNotComparable);
  check_all_paths(s, "marker");
}

// ---------------------------------------------------------------------------
// Fast against plain on random data.

TEST(GowerFast, MatchesPlainOnMixedTypes) {
  const int64_t shapes[][2] = {{0, 3},   {2, 2},  {3, 5},   {5, 9},  {17, 17},
                               {33, 23}, {64, 9}, {97, 31}, {250, 6}};
  uint64_t seed = 1;
  for (const auto& shape : shapes) {
    for (double missing : {0.0, 0.1}) {
      RandomSpec spec;
      spec.objects = shape[0];
      spec.types = testing::mixed_types(shape[1], static_cast<int>(seed % 9));
      spec.missing_rate = missing;
      spec.seed = seed++;
      check_all_paths(testing::random_data(spec), "n " + std::to_string(shape[0]) + " m " +
                                                      std::to_string(shape[1]) + " missing " +
                                                      std::to_string(missing));
    }
  }
}

TEST(GowerFast, MatchesPlainForEachTypeCode) {
  for (int32_t type : {1, 2, 3, 4, 5, 6, 7, 33, 34}) {
    RandomSpec spec;
    spec.objects = 45;
    spec.types.assign(4, type);
    spec.missing_rate = 0.05;
    spec.seed = static_cast<uint64_t>(type);
    check_all_paths(testing::random_data(spec), "type " + std::to_string(type));
  }
}

TEST(GowerFast, MatchesPlainWithNaNsOfBothSigns) {
  uint64_t seed = 500;
  for (const int64_t objects : {4, 19, 70}) {
    for (const int64_t variables : {2, 9, 40}) {
      RandomSpec spec;
      spec.objects = objects;
      spec.types = testing::mixed_types(variables, static_cast<int>(seed % 9));
      spec.missing_rate = 0.05;
      spec.infinite_rate = 0.15;
      spec.seed = seed++;
      check_all_paths(testing::random_data(spec), "infinite values n " + std::to_string(objects) +
                                                      " m " + std::to_string(variables));
    }
  }
}

TEST(GowerFast, MatchesPlainOnDegenerateColumns) {
  const DataSet s = testing::prepare(6, {7, 7, 3, 2, 5, 1},
                                     {{2, 2, 2, 2, 2, 2},
                                      {-1, -1, -1, -1, -1, -1},
                                      {0, 3, -1, 0, 4, 0},
                                      {0, 3, 0, 4, 0, 5},
                                      {1, 2, 3, 4, 5, 6},
                                      {1, 2, 1, 2, 1, 3}});
  check_all_paths(s, "degenerate");
  // A double-zero variable none of whose pairs can be compared: its mean is
  // 0/0, and every marker becomes not a number.
  const DataSet no_mean = testing::prepare(3, {3, 7}, {{0, 5, -1}, {1, 2, 4}});
  check_all_paths(no_mean, "no comparable pair");
  // Every variable missing for a pair: 0/0.
  const DataSet all_missing = testing::prepare(3, {7, 1}, {{-1, 1, 2}, {-1, 1, 2}});
  check_all_paths(all_missing, "all missing");
}

TEST(GowerFast, ResultsDoNotDependOnTheThreadCount) {
  RandomSpec spec;
  spec.objects = 300;
  spec.types = testing::mixed_types(12);
  spec.missing_rate = 0.05;
  spec.seed = 7;
  const DataSet s = testing::random_data(spec);
  const SimdKernels& kernels = preferred_simd_kernels();
  const std::vector<float> one = run_fast(s, 1, kernels);
  for (int threads : {2, 3, 4, 17}) expect_same_bits(one, run_fast(s, threads, kernels), "threads");
}

}  // namespace
}  // namespace tova::kernels
