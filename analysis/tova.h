// The analysis as a library: the numbers of a console run without the
// dialogue, the listings or the result files. Every array returned here holds
// the same bits as the run prints and writes for the same data: the
// functions run the steps the console run calls (in_place, below).
//
// A worked call sequence:
//
//   tova::api::DataSet data = tova::api::read_data_file("meadow_survey.dat");
//   // or built by hand: data.types = {7, 4, 6}; data.periods = {0, 0, 12};
//   //   data.objects = n; data.values = column-major n x 3, -1 for missing.
//   tova::api::Association a = tova::api::associate(data);
//   // a.d_correlation(k, l): the D-CORRELATION MATRIX listing;
//   // tova::api::dissimilarity(a): 1 - rho as listed; a.squared_distance.
//   tova::api::Ordination o = tova::api::ordinate(a);
//   // o.eigenvalues, o.percentages, o.loading(i, j): the LOADS.TXT values
//   // for j <= o.loads_columns(); o.final_threshold and o.levels: the
//   // progress lines.
//   std::vector<float> gower = tova::api::gower(data);
//   // the MATRIX.DIS semimatrix: (1,1), (1,2), (2,2), (1,3), ...
//
// The same steps in place, over arrays the caller owns (the console run,
// whose arrays come from the run-time's ALLOCATE and are freed between the
// steps), are at the end of this header.
//
// Errors. The console run ends the process on bad input; these functions
// throw tova::api::Error instead, before any work: an unknown type code, a
// NaN or infinite value in any variable, a value above 1.0E31 in a variable
// of types 2 to 5, sizes that do not fit, or a data file the run would not
// read. What the console run accepts (a period of 0, values whose scores
// overflow) gives here what it gives there, NaN and INF included.
//
// Threads: `threads` as the kernels take it (kernels.h): <= 0 means
// TOVA_THREADS from the environment, else one per core. The results never
// depend on it. The functions keep no state: calls from several threads at
// once are safe.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/rules.h"

namespace tova {
// The views the steps in place work on (data_set.h, report.h, eigen.h).
struct DataSet;
struct Ordination;
class EigenProgress;
template <class T>
class Vector;
template <class T>
class Matrix;
}  // namespace tova

namespace tova::api {

struct Error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The vocabulary of the data and of the packed triangle, from the rules of
// the analysis (rules.h): the missing-value marker, the type codes that
// exist and those with a period, the position of pair i <= j (1-based).
inline constexpr float kMissingValue = tova::kMissing;
using tova::is_circular_type;
using tova::is_known_type;
using tova::packed_position;
using tova::packed_size;
// The pairs of n objects without the diagonal: the length of the condensed
// form below.
constexpr int64_t condensed_size(int64_t objects) {
  return objects > 1 ? packed_size(objects - 1) : 0;
}

// At most this many components per variable in LOADS.TXT and on the console.
inline constexpr int32_t kLoadsColumns = 10;

struct DataSet {
  std::string title;           // the title record, at most 100 characters
  int64_t objects = 0;         // n
  std::vector<int32_t> types;  // m type codes: 1 to 7, 33, 34
  std::vector<float> periods;  // m; read only for the circular types 6 and 34
  std::vector<float> values;   // n x m, column-major; -1.0 is missing

  int64_t variables() const { return static_cast<int64_t>(types.size()); }
  float value(int64_t i, int64_t j) const { return values[static_cast<size_t>(i + j * objects)]; }
};

// A data file as the console run reads it: title record, counts, type codes,
// one period record per circular variable, one row of values per object,
// all free-form through the run-time's own scanner (repeat counts, commas,
// tabs and CR LF as there). Throws Error naming the record on what would
// end the run.
DataSet read_data_file(const std::string& path);
DataSet parse_data_file(std::string_view text);

// Throws Error for an unknown type code, an unusable value, or arrays whose
// sizes do not match the counts.
void validate(const DataSet& data);

// Square m x m matrices, column-major (symmetric).
struct Association {
  int64_t variables = 0;
  std::vector<float> d_correlation;     // diagonal 1.0
  std::vector<float> squared_distance;  // diagonal 0.0

  float correlation(int64_t k, int64_t l) const {  // 0-based
    return d_correlation[static_cast<size_t>(k + l * variables)];
  }
};
// Taken by value: callers that move their data in spare a copy of it.
Association associate(DataSet data, int threads = 0);

// 1 - rho, rounded to single precision, as the DISSIMILARITY listing shows it.
std::vector<float> dissimilarity(const Association& association);

struct Ordination {
  int64_t variables = 0;
  std::vector<float> eigenvalues;  // all m, descending
  int32_t positive_count = 0;      // eigenvalues > 0
  float positive_sum = 0.0f;
  std::vector<float> percentages;  // positive_count values
  // m x positive_count, column-major: the eigenvectors of the positive
  // eigenvalues scaled by their square roots.
  std::vector<float> loadings;
  // The progress of the iteration; no rotation (off-diagonal sum not
  // positive) leaves started false and levels empty.
  bool started = false;
  float final_threshold = 0.0f;
  std::vector<float> levels;

  // Columns of LOADS.TXT: positive_count, at most kLoadsColumns.
  int32_t loads_columns() const {
    return positive_count < kLoadsColumns ? positive_count : kLoadsColumns;
  }
  float loading(int64_t i, int64_t j) const {  // 0-based
    return loadings[static_cast<size_t>(i + j * variables)];
  }
};
Ordination ordinate(const Association& association);

// The Gower semimatrix of MATRIX.DIS: n(n + 1)/2 values, pair i <= j
// (1-based) at i + (j^2 - j)/2 - 1, the diagonal included (0.0 / m).
std::vector<float> gower(DataSet data, int threads = 0);

// The same dissimilarities without the diagonal, in the order of R's dist
// and scipy's condensed form: (1,2), (1,3), ..., (1,n), (2,3), ...
std::vector<float> condensed(const std::vector<float>& semimatrix, int64_t objects);
// The same into out[0 .. n(n - 1)/2), as doubles for R's dist: no
// intermediate copy of a large triangle.
void condensed(const std::vector<float>& semimatrix, int64_t objects, float* out);
void condensed(const std::vector<float>& semimatrix, int64_t objects, double* out);
// A semimatrix read back from MATRIX.DIS as doubles.
void condensed(const std::vector<double>& semimatrix, int64_t objects, double* out);

// ---------------------------------------------------------------------------
// The steps in place. Every function above runs these on arrays of its own;
// a caller that owns its arrays calls them over views of those arrays
// (tova::DataSet of data_set.h, tova::Ordination of report.h), in this order:
//
//   tova::DataSet data = tova::data_set_over(n, m, {values, types, range,
//                                                   minimum, periods, ties});
//   // types, periods and values filled in, every type code known
//   // (find_unknown_type); range, minimum and ties are written by prepare.
//   if (auto refused = tova::api::in_place::prepare(data)) stop(*refused);
//   tova::api::in_place::associate(data, correlations, distances);  // m x m
//   // here the console run lists the matrices and frees its work arrays
//   tova::api::in_place::ordinate(correlations, ordination, progress);
//   tova::api::in_place::gower(data, semimatrix);  // n(n + 1)/2
//
// The steps allocate only their own work space (the ranking's sort, the
// kernels' per-thread blocks); not getting it throws std::bad_alloc, which
// the console run reports as a failed ALLOCATE.
namespace in_place {

// The check for values no step can use (a NaN or an infinity anywhere; in a
// variable of types 2 to 5 a value above 1.0E31), then the preparation of
// the variables: ranks and tie counts, value ranges, type 33 turned into 3.
// A refused data set is left as it was; the message names the value.
std::optional<std::string> prepare(tova::DataSet& data);

// The D-correlation and squared-distance matrices of prepared data,
// diagonals (1.0 and 0.0) included.
void associate(const tova::DataSet& prepared, tova::Matrix<float> d_correlation,
               tova::Matrix<float> squared_distance, int threads = 0);

// Packs the D-correlation matrix into ordination.packed, finds its
// eigenvalues and eigenvectors (progress records to `progress`), and sets
// the positive components: count, sum, percentages and, in the first
// columns of ordination.vectors, the loadings.
void ordinate(tova::Matrix<float> d_correlation, tova::Ordination& ordination,
              tova::EigenProgress& progress);

// The Gower semimatrix of prepared data, packed as gower() returns it.
void gower(const tova::DataSet& prepared, tova::Vector<float> semimatrix, int threads = 0);

}  // namespace in_place
}  // namespace tova::api
