// The library API over the analysis modules: the steps in place, which the
// console run calls too, and the functions that run them on arrays of their
// own after checking what the run-time would refuse by ending the process.
#include "analysis/tova.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>
#include <utility>

#include "analysis/arrays.h"
#include "analysis/association.h"
#include "analysis/data_file.h"
#include "analysis/data_set.h"
#include "analysis/eigen.h"
#include "analysis/kernels/kernels.h"
#include "analysis/ranks.h"
#include "analysis/report.h"
#include "analysis/rules.h"
#include "textio/io_error.h"
#include "textio/list_input.h"
#include "textio/units.h"

namespace tova::api {
namespace {

// Records of an in-memory file as the run-time's unit reader gives them:
// LF ends a record, CR is dropped, tabs go to the next tab stop, and bytes
// after the last LF never form a record.
class TextRecords final : public textio::RecordReader {
 public:
  explicit TextRecords(std::string_view text)
      : text_(text), tab_size_(static_cast<size_t>(textio::tab_size_from_environment())) {}

  void next_record(textio::RecordBuffer& record) override {
    record.clear();
    const size_t end = text_.find('\n', position_);
    if (end == std::string_view::npos) throw textio::IoFailure{textio::kReadPastEndOfFile};
    for (size_t i = position_; i < end; ++i) {
      const char c = text_[i];
      if (c == '\t') {
        record.fill(' ', tab_size_ - record.length() % tab_size_);
      } else if (c != '\r') {
        record.put(c);
      }
    }
    record.set_position(0);
    position_ = end + 1;
    ++number_;
  }
  int64_t number() const { return number_; }

 private:
  std::string_view text_;
  size_t tab_size_;
  size_t position_ = 0;
  int64_t number_ = 0;
};

// One list-directed READ: a fresh statement starts on the next record.
class ReadStatement {
 public:
  explicit ReadStatement(TextRecords& records) : input_(record_, records) {}
  ReadStatement& integer(int32_t& value) {
    input_.read_integer(&value, 4);
    return *this;
  }
  ReadStatement& real(float& value) {
    input_.read_real(&value, 4);
    return *this;
  }

 private:
  textio::RecordBuffer record_;
  textio::ListInput input_;
};

// The arrays of a data set prepared here, and the view the steps take.
struct Prepared {
  std::vector<float> values;
  std::vector<int32_t> types;
  std::vector<float> range;
  std::vector<float> minimum;
  std::vector<float> periods;
  std::vector<int32_t> ties;
  tova::DataSet view;
};

tova::DataSet borrowed_view(const DataSet& d) {
  tova::DataSet v;
  v.object_count = static_cast<int32_t>(d.objects);
  v.variable_count = static_cast<int32_t>(d.variables());
  // Only read by the checks below.
  v.data_matrix = Matrix<float>(const_cast<float*>(d.values.data()), d.objects, d.variables());
  v.variable_type = Vector<int32_t>(const_cast<int32_t*>(d.types.data()), d.variables());
  return v;
}

// What validate() refuses but the values, which in_place::prepare checks.
void check_shape(const DataSet& d) {
  const int64_t m = d.variables();
  if (d.objects < 0) throw Error("negative object count");
  if (d.objects > INT32_MAX || m > INT32_MAX) throw Error("too many objects or variables");
  if (static_cast<int64_t>(d.periods.size()) != m) {
    throw Error("periods: " + std::to_string(d.periods.size()) + " values for " +
                std::to_string(m) + " variables");
  }
  if (static_cast<int64_t>(d.values.size()) != d.objects * m) {
    throw Error("values: " + std::to_string(d.values.size()) + " for " + std::to_string(d.objects) +
                " objects of " + std::to_string(m) + " variables");
  }
  if (const auto unknown = find_unknown_type(borrowed_view(d))) throw Error(*unknown);
}

Prepared prepare(DataSet d) {
  check_shape(d);
  const int64_t n = d.objects;
  const int64_t m = d.variables();
  Prepared p;
  p.values = std::move(d.values);
  p.types = std::move(d.types);
  p.periods = std::move(d.periods);
  p.range.assign(static_cast<size_t>(m), 0.0f);
  p.minimum.assign(static_cast<size_t>(m), 0.0f);
  p.ties.assign(static_cast<size_t>(n * m), 0);
  p.view = data_set_over(static_cast<int32_t>(n), static_cast<int32_t>(m),
                         {p.values.data(), p.types.data(), p.range.data(), p.minimum.data(),
                          p.periods.data(), p.ties.data()});
  if (auto refused = in_place::prepare(p.view)) throw Error(*refused);
  return p;
}

class RecordedProgress final : public EigenProgress {
 public:
  explicit RecordedProgress(Ordination& o) : o_(o) {}
  void started(float final_threshold) override {
    o_.started = true;
    o_.final_threshold = final_threshold;
  }
  void level(float threshold) override { o_.levels.push_back(threshold); }

 private:
  Ordination& o_;
};

std::string read_failure(int64_t record, const textio::IoFailure& failure) {
  const std::string where =
      failure.code == textio::kReadPastEndOfFile ? "after record " : "record ";
  return "data file " + where + std::to_string(record) + ": " +
         std::string(textio::runtime_message(failure.code));
}

}  // namespace

void validate(const DataSet& d) {
  check_shape(d);
  if (const auto unusable = find_unusable_value(borrowed_view(d))) throw Error(*unusable);
}

DataSet parse_data_file(std::string_view text) {
  TextRecords records(text);
  DataSet d;
  try {
    textio::RecordBuffer record;
    records.next_record(record);
    char title[kTitleLength];
    textio::edit_input_character(record, title, kTitleLength, 0);
    d.title.assign(title, kTitleLength);
    d.title.erase(d.title.find_last_not_of(' ') + 1);
    int32_t n = 0;
    int32_t m = 0;
    ReadStatement(records).integer(n).integer(m);
    if (n < 0 || m < 0) throw Error("negative object or variable count");
    d.objects = n;
    d.types.assign(static_cast<size_t>(m), 0);
    d.periods.assign(static_cast<size_t>(m), 0.0f);
    d.values.assign(static_cast<size_t>(int64_t{n} * m), 0.0f);
    tova::DataSet view = data_set_over(
        n, m, {d.values.data(), d.types.data(), nullptr, nullptr, d.periods.data(), nullptr});
    read_records(
        view, [&records] { return ReadStatement(records); },
        [](const std::string& unknown) { throw Error(unknown); });
  } catch (const textio::IoFailure& failure) {
    throw Error(read_failure(records.number(), failure));
  }
  return d;
}

DataSet read_data_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw Error("cannot open " + path);
  std::ostringstream text;
  text << file.rdbuf();
  return parse_data_file(text.str());
}

Association associate(DataSet data, int threads) {
  const int64_t m = data.variables();
  const Prepared p = prepare(std::move(data));
  Association a;
  a.variables = m;
  a.d_correlation.assign(static_cast<size_t>(m * m), 0.0f);
  a.squared_distance.assign(static_cast<size_t>(m * m), 0.0f);
  in_place::associate(p.view, Matrix<float>(a.d_correlation.data(), m, m),
                      Matrix<float>(a.squared_distance.data(), m, m), threads);
  return a;
}

std::vector<float> dissimilarity(const Association& a) {
  std::vector<float> d(a.d_correlation.size());
  for (size_t k = 0; k < d.size(); ++k) d[k] = one_minus_rho(a.d_correlation[k]);
  return d;
}

Ordination ordinate(const Association& a) {
  const int64_t m = a.variables;
  if (static_cast<int64_t>(a.d_correlation.size()) != m * m) {
    throw Error("D-correlation matrix of the wrong size");
  }
  std::vector<float> packed(static_cast<size_t>(packed_size(m)));
  std::vector<float> vectors(static_cast<size_t>(m * m));
  std::vector<float> eigenvalues(static_cast<size_t>(m));
  std::vector<float> percentages(static_cast<size_t>(m));
  tova::Ordination work;
  work.packed = Vector<float>(packed.data(), packed_size(m));
  work.vectors = Vector<float>(vectors.data(), m * m);
  work.eigenvalues = Vector<float>(eigenvalues.data(), m);
  work.percentages = Vector<float>(percentages.data(), m);
  Ordination o;
  RecordedProgress progress(o);
  in_place::ordinate(Matrix<float>(const_cast<float*>(a.d_correlation.data()), m, m), work,
                     progress);
  o.variables = m;
  o.eigenvalues = std::move(eigenvalues);
  o.positive_count = work.positive_count;
  o.positive_sum = work.positive_sum;
  o.percentages.assign(percentages.begin(), percentages.begin() + work.positive_count);
  o.loadings.assign(vectors.begin(), vectors.begin() + m * work.positive_count);
  return o;
}

std::vector<float> gower(DataSet data, int threads) {
  const int64_t n = data.objects;
  const Prepared p = prepare(std::move(data));
  std::vector<float> semimatrix(static_cast<size_t>(packed_size(n)));
  in_place::gower(p.view, Vector<float>(semimatrix.data(), packed_size(n)), threads);
  return semimatrix;
}

namespace in_place {

std::optional<std::string> prepare(tova::DataSet& data) {
  if (auto unusable = find_unusable_value(data)) return unusable;
  rank_variables(data);
  return std::nullopt;
}

void associate(const tova::DataSet& prepared, Matrix<float> d_correlation,
               Matrix<float> squared_distance, int threads) {
  set_diagonals(prepared.variable_count, d_correlation, squared_distance);
  if (prepared.variable_count > 1) {
    kernels::d_correlation_fast(prepared_view(prepared), d_correlation.data(),
                                squared_distance.data(), threads);
  }
}

void ordinate(Matrix<float> d_correlation, tova::Ordination& ordination, EigenProgress& progress) {
  const auto order = static_cast<int32_t>(d_correlation.columns());
  pack_lower_triangle(order, d_correlation, ordination.packed);
  jacobi_eigen(order, ordination.packed, ordination.vectors, progress);
  positive_components(order, ordination);
}

void gower(const tova::DataSet& prepared, Vector<float> semimatrix, int threads) {
  if (semimatrix.size() > 0)
    kernels::gower_fast(prepared_view(prepared), semimatrix.data(), threads);
}

}  // namespace in_place

namespace {

template <class In, class Out>
void condense(const std::vector<In>& semimatrix, int64_t n, Out* out) {
  if (static_cast<int64_t>(semimatrix.size()) != packed_size(n)) {
    throw Error(std::to_string(semimatrix.size()) + " values for " + std::to_string(n) +
                " objects (expected " + std::to_string(packed_size(n)) + ")");
  }
  // In blocks of columns j: the packed triangle runs down its columns, the
  // condensed order along its rows, and a block keeps both in cache.
  constexpr int64_t kBlock = 64;
  for (int64_t first = 2; first <= n; first += kBlock) {
    const int64_t last = std::min(n, first + kBlock - 1);
    for (int64_t i = 1; i < last; ++i) {
      // Row i holds the pairs (i, i + 1 .. n); the rows before it n - k each.
      const int64_t row = (i - 1) * n - (i - 1) * i / 2 - (i + 1);
      for (int64_t j = std::max(first, i + 1); j <= last; ++j) {
        out[row + j] = semimatrix[packed_position(i, j) - 1];
      }
    }
  }
}

}  // namespace

void condensed(const std::vector<float>& semimatrix, int64_t n, float* out) {
  condense(semimatrix, n, out);
}
void condensed(const std::vector<float>& semimatrix, int64_t n, double* out) {
  condense(semimatrix, n, out);
}
void condensed(const std::vector<double>& semimatrix, int64_t n, double* out) {
  condense(semimatrix, n, out);
}

std::vector<float> condensed(const std::vector<float>& semimatrix, int64_t n) {
  std::vector<float> out(static_cast<size_t>(condensed_size(n)));
  condense(semimatrix, n, out.data());
  return out;
}

}  // namespace tova::api
