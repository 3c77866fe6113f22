// The kernels against the analysis module's own loops (association.cpp,
// gower.cpp), bit for bit: whole runs must not change when the driver
// switches to the kernels.
//
// Held back (.pending) until this folder's tests link the analysis
// library: in tests/CMakeLists.txt,
//   tova_add_tests(analysis/kernels analysis_kernels analysis textio)
// then drop the .pending suffix.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "analysis/association.h"
#include "analysis/gower.h"
#include "analysis/kernels/kernels.h"
#include "analysis/kernels/support/random_data.h"

namespace tova {
namespace {

DataSet view_of(kernels::testing::DataSet& s) {
  DataSet d;
  d.object_count = static_cast<int32_t>(s.objects);
  d.variable_count = static_cast<int32_t>(s.variables);
  d.data_matrix = Matrix<float>(s.data.data(), s.objects, s.variables);
  d.variable_type = Vector<int32_t>(s.type.data(), s.variables);
  d.variable_range = Vector<float>(s.range.data(), s.variables);
  d.period = Vector<float>(s.period.data(), s.variables);
  d.tie_count = Matrix<int32_t>(s.tie_count.data(), s.objects, s.variables);
  return d;
}

// Missing values and infinite ones (scores not a number, of either sign).
struct Rates {
  double missing;
  double infinite;
};
const Rates kRates[] = {{0.0, 0.0}, {0.1, 0.0}, {0.1, 0.1}};

kernels::testing::DataSet random_set(int64_t n, int64_t m, Rates rates, int offset, uint64_t seed) {
  kernels::testing::RandomSpec spec;
  spec.objects = n;
  spec.types = kernels::testing::mixed_types(m, offset);
  for (int32_t& t : spec.types)
    if (t == 33) t = 3;  // as the preparation of the variables leaves it
  spec.missing_rate = rates.missing;
  spec.infinite_rate = rates.infinite;
  spec.seed = seed;
  return kernels::testing::random_data(spec);
}

const int64_t kShapes[][2] = {{2, 2}, {5, 9}, {17, 17}, {40, 23}, {61, 37}, {120, 12}};

TEST(KernelsMatchAnalysis, DCorrelation) {
  uint64_t seed = 1;
  for (const auto& shape : kShapes) {
    for (const Rates& rates : kRates) {
      kernels::testing::DataSet s = random_set(shape[0], shape[1], rates, seed % 9, seed);
      ++seed;
      const DataSet d = view_of(s);
      const int64_t n = s.objects, m = s.variables, t = n * (n + 1) / 2;
      std::vector<float> r1(m * m), q1(m * m), r2(m * m), q2(m * m), f(t), g(t);
      set_diagonals(d.variable_count, Matrix<float>(r1.data(), m, m),
                    Matrix<float>(q1.data(), m, m));
      association_matrices(d, s.view().pair_count, Matrix<float>(r1.data(), m, m),
                           Matrix<float>(q1.data(), m, m), Vector<float>(f.data(), t),
                           Vector<float>(g.data(), t));
      kernels::d_correlation_fast(s.view(), r2.data(), q2.data(), 2);
      EXPECT_EQ(std::memcmp(r1.data(), r2.data(), r1.size() * sizeof(float)), 0)
          << "n " << n << " m " << m;
      EXPECT_EQ(std::memcmp(q1.data(), q2.data(), q1.size() * sizeof(float)), 0)
          << "n " << n << " m " << m;
    }
  }
}

TEST(KernelsMatchAnalysis, Gower) {
  uint64_t seed = 100;
  for (const auto& shape : kShapes) {
    for (const Rates& rates : kRates) {
      kernels::testing::DataSet s = random_set(shape[0], shape[1], rates, seed % 9, seed);
      ++seed;
      const DataSet d = view_of(s);
      const int64_t t = s.objects * (s.objects + 1) / 2;
      std::vector<float> s1(t), s2(t);
      std::vector<int32_t> missing_count(t), mean_flag(t);
      gower_dissimilarities(
          d, t,
          GowerArrays{Vector<float>(s1.data(), t), Vector<int32_t>(missing_count.data(), t),
                      Vector<int32_t>(mean_flag.data(), t)});
      kernels::gower_fast(s.view(), s2.data(), 2);
      EXPECT_EQ(std::memcmp(s1.data(), s2.data(), s1.size() * sizeof(float)), 0)
          << "n " << s.objects << " m " << s.variables;
    }
  }
}

}  // namespace
}  // namespace tova
