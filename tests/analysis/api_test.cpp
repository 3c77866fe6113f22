// The library API against the console's whole runs: every golden case that
// writes LOADS.TXT (and MATRIX.DIS), and the example, rebuilt byte for byte
// from the API's numbers with the run-time's list-directed layout; the
// progress lines found in the run's standard output.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "analysis/data_set.h"
#include "analysis/eigen.h"
#include "analysis/report.h"
#include "analysis/tova.h"
#include "support/recorded_progress.h"
#include "textio/edit_output.h"
#include "textio/record_buffer.h"

namespace {

namespace fs = std::filesystem;
namespace api = tova::api;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string text(const textio::RecordBuffer& r) {
  return std::string(r.text()) + "\r\n";
}

// " " and the items of one list-directed record.
template <class Items>
std::string record(Items items) {
  textio::RecordBuffer r;
  r.put(' ');
  items(r);
  return text(r);
}

std::string title_record(std::string_view head, std::string title) {
  title.resize(100, ' ');
  return " " + std::string(head) + title + "\r\n";
}

std::string loads_file(const api::DataSet& d, const api::Ordination& o) {
  std::string file = title_record(" PCA loadings from  ", d.title);
  file += record([&](auto& r) {
    textio::list_integer(r, o.variables);
    textio::list_integer(r, o.loads_columns());
  });
  for (int64_t i = 0; i < o.variables; ++i) {
    file += record([&](auto& r) {
      for (int32_t j = 0; j < o.loads_columns(); ++j) textio::list_real(r, o.loading(i, j));
    });
  }
  return file;
}

std::string matrix_file(const api::DataSet& d, const std::vector<float>& semimatrix) {
  return title_record(" SEMIMATRIX FROM ", d.title) +
         record([&](auto& r) { textio::list_integer(r, d.objects); }) + record([&](auto& r) {
           for (float v : semimatrix) textio::list_real(r, v);
         });
}

std::string progress_lines(const api::Ordination& o) {
  auto fixed = [](std::string_view head, float v) {
    textio::RecordBuffer r;
    r.put(head);
    textio::edit_fixed(r, v, false, 25, 15);
    return text(r);
  };
  std::string lines = o.started ? fixed(" THRESHOLD =", o.final_threshold) : "";
  for (float level : o.levels) lines += fixed("+CURRENT V.=", level);
  return lines;
}

std::string progress_in(const std::string& stdout_bytes) {
  std::string lines;
  std::istringstream in(stdout_bytes);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(" THRESHOLD =", 0) == 0 || line.rfind("+CURRENT V.=", 0) == 0) {
      lines += line + "\n";
    }
  }
  return lines;
}

void check_run(const fs::path& data_file, const fs::path& expected, const fs::path& console,
               bool gower) {
  const api::DataSet d = api::read_data_file(data_file.string());
  const api::Ordination o = api::ordinate(api::associate(d, 2));
  EXPECT_EQ(loads_file(d, o), read_file(expected / "LOADS.TXT"));
  EXPECT_EQ(progress_lines(o), progress_in(read_file(console)));
  if (gower) {
    EXPECT_EQ(matrix_file(d, api::gower(d, 3)), read_file(expected / "MATRIX.DIS"));
  }
}

class ApiRun : public ::testing::TestWithParam<std::string> {};

TEST_P(ApiRun, GivesTheConsoleResults) {
  const fs::path folder = fs::path(TOVA_SOURCE_DIR) / "tests" / "golden" / GetParam();
  std::istringstream answers(read_file(folder / "answers.txt"));
  std::string name;
  std::string option;
  std::getline(answers, name);
  std::getline(answers, option);
  name.erase(0, name.find_first_not_of(' '));
  name.erase(name.find_last_not_of(' ') + 1);
  check_run(folder / "input" / name, folder / "expected" / "files",
            folder / "expected" / "stdout.txt", option == "1");
}

INSTANTIATE_TEST_SUITE_P(Golden, ApiRun,
                         ::testing::Values("all_types", "degenerate_nan", "double_zero_mean",
                                           "layout_variants", "long_title", "matrix_dis_example",
                                           "no_positive_eigenvalue", "no_variables", "r_half_gower",
                                           "ranked_without_values", "seven_variables",
                                           "single_object"));

TEST(ApiRun, GivesTheExampleResults) {
  const fs::path examples = fs::path(TOVA_SOURCE_DIR) / "examples";
  check_run(examples / "meadow_survey.dat", examples / "expected",
            examples / "expected" / "stdout.txt", true);
  // The same dissimilarities in R's and scipy's order.
  const api::DataSet d = api::read_data_file((examples / "meadow_survey.dat").string());
  const std::vector<float> semimatrix = api::gower(d);
  const std::vector<float> pairs = api::condensed(semimatrix, d.objects);
  ASSERT_EQ(pairs.size(), 435u);
  EXPECT_EQ(pairs[0], semimatrix[1]);      // (1,2)
  EXPECT_EQ(pairs[1], semimatrix[3]);      // (1,3)
  EXPECT_EQ(pairs[29], semimatrix[4]);     // (2,3)
  EXPECT_EQ(pairs[434], semimatrix[463]);  // (29,30)
}

TEST(ApiRun, CondensesInRowOrderAcrossBlocks) {
  const int64_t n = 150;
  std::vector<float> semimatrix(n * (n + 1) / 2);
  for (size_t k = 0; k < semimatrix.size(); ++k) semimatrix[k] = static_cast<float>(k);
  std::vector<double> pairs(n * (n - 1) / 2);
  api::condensed(semimatrix, n, pairs.data());
  size_t k = 0;
  for (int64_t i = 1; i <= n; ++i) {
    for (int64_t j = i + 1; j <= n; ++j) ASSERT_EQ(pairs[k++], i + (j * j - j) / 2 - 1);
  }
  EXPECT_EQ(api::condensed_size(n), static_cast<int64_t>(pairs.size()));
  EXPECT_EQ(api::condensed_size(1), 0);
  // A semimatrix read back as doubles, as R reads MATRIX.DIS.
  std::vector<double> again(pairs.size());
  api::condensed(std::vector<double>(semimatrix.begin(), semimatrix.end()), n, again.data());
  EXPECT_EQ(again, pairs);
}

template <class T>
bool same_bits(const T* a, const std::vector<T>& b) {
  return std::memcmp(a, b.data(), b.size() * sizeof(T)) == 0;
}

// The steps in place over arrays the caller owns, as the console run calls
// them: the bits of the functions that own their arrays; a refused data set
// left as it was.
TEST(ApiInPlace, GivesTheSameBitsOverTheCallersArrays) {
  const api::DataSet d = api::parse_data_file("t\n4 3\n33 6 2\n24\n0 1 3\n2 23 0\n2 5 0\n7 12 4\n");
  const int32_t n = 4;
  const int32_t m = 3;
  std::vector<float> values = d.values;
  std::vector<int32_t> types = d.types;
  std::vector<float> periods = d.periods;
  std::vector<float> range(m), minimum(m);
  std::vector<int32_t> ties(n * m);
  tova::DataSet data = tova::data_set_over(
      n, m,
      {values.data(), types.data(), range.data(), minimum.data(), periods.data(), ties.data()});
  values[5] = INFINITY;
  const std::vector<float> refused_values = values;
  const auto refused = api::in_place::prepare(data);
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(*refused,
            "Value INF of object 2 cannot be used in variable 2 (missing values are written -1)");
  EXPECT_EQ(values, refused_values);
  EXPECT_EQ(types, d.types);
  values[5] = d.values[5];
  ASSERT_FALSE(api::in_place::prepare(data).has_value());
  EXPECT_EQ(types[0], 3);

  std::vector<float> correlations(m * m, -9.0f), distances(m * m, -9.0f);
  api::in_place::associate(data, tova::Matrix<float>(correlations.data(), m, m),
                           tova::Matrix<float>(distances.data(), m, m), 2);
  const api::Association a = api::associate(d);
  EXPECT_TRUE(same_bits(correlations.data(), a.d_correlation));
  EXPECT_TRUE(same_bits(distances.data(), a.squared_distance));

  std::vector<float> packed(tova::packed_size(m)), vectors(m * m), eigenvalues(m), percentages(m);
  tova::Ordination work;
  work.packed = tova::Vector<float>(packed.data(), tova::packed_size(m));
  work.vectors = tova::Vector<float>(vectors.data(), m * m);
  work.eigenvalues = tova::Vector<float>(eigenvalues.data(), m);
  work.percentages = tova::Vector<float>(percentages.data(), m);
  tova::test_support::RecordedProgress progress;
  api::in_place::ordinate(tova::Matrix<float>(correlations.data(), m, m), work, progress);
  const api::Ordination o = api::ordinate(a);
  ASSERT_GT(o.positive_count, 0);
  EXPECT_EQ(work.positive_count, o.positive_count);
  EXPECT_TRUE(same_bits(eigenvalues.data(), o.eigenvalues));
  EXPECT_TRUE(same_bits(percentages.data(), o.percentages));
  EXPECT_TRUE(same_bits(vectors.data(), o.loadings));
  EXPECT_EQ(progress.levels, o.levels);

  std::vector<float> semimatrix(tova::packed_size(n), -9.0f);
  api::in_place::gower(data, tova::Vector<float>(semimatrix.data(), tova::packed_size(n)), 3);
  EXPECT_TRUE(same_bits(semimatrix.data(), api::gower(d)));
}

// What would end a console run is an exception here, before any work.
TEST(ApiErrors, AreThrownNotFatal) {
  auto fails = [](const std::string& file, const std::string& message) {
    try {
      api::parse_data_file(file);
      ADD_FAILURE() << "accepted " << file;
    } catch (const api::Error& e) {
      EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
    }
  };
  fails("t\n2 2\n1 9\n", "Unknown variable type code 9 for variable 2");
  fails("t\n2 2\n1 7\n1 2\n", "after record 4");  // a row short
  fails("t\n2 1\n7\n1\nx\n", "record 5");         // not a number
  fails("t\n1 1\n7\n1", "after record 3");        // no LF: no record
  api::DataSet d = api::parse_data_file("t\n2 2\n4 6\n24\n1 1\n2 , 3\n");
  EXPECT_EQ(d.values, (std::vector<float>{1, 2, 1, 3}));
  EXPECT_EQ(d.periods, (std::vector<float>{0, 24}));
  d.values[0] = std::nanf("");
  EXPECT_THROW(api::associate(d), api::Error);
  d.values[0] = 1;
  d.types[1] = 8;
  EXPECT_THROW(api::gower(d), api::Error);
  d.types[1] = 6;
  d.values.pop_back();
  EXPECT_THROW(api::associate(d), api::Error);
}

}  // namespace
