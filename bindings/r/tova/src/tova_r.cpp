// The R entry points over the library API (analysis/tova.h). The data are
// converted once into the engine's layout; NA and NaN are missing values.
#include <Rcpp.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "analysis/tova.h"
#include "textio/edit_output.h"
#include "textio/record_buffer.h"

namespace api = tova::api;

namespace {

api::DataSet data_set(const Rcpp::NumericMatrix& values, const Rcpp::IntegerVector& types,
                      const Rcpp::NumericVector& periods) {
  const int64_t n = values.nrow();
  const int64_t m = values.ncol();
  if (types.size() != m || periods.size() != m) {
    throw api::Error(std::to_string(types.size()) + " type codes and " +
                     std::to_string(periods.size()) + " periods for " + std::to_string(m) +
                     " variables");
  }
  api::DataSet d;
  d.objects = n;
  d.types.assign(types.begin(), types.end());
  d.periods.resize(static_cast<size_t>(m));
  for (int64_t j = 0; j < m; ++j) d.periods[j] = static_cast<float>(periods[j]);
  d.values.resize(static_cast<size_t>(n * m));
  const double* x = values.begin();
  for (size_t k = 0; k < d.values.size(); ++k) {
    d.values[k] = std::isnan(x[k]) ? api::kMissingValue : static_cast<float>(x[k]);
  }
  return d;
}

Rcpp::NumericVector doubles(const std::vector<float>& values) {
  return Rcpp::NumericVector(values.begin(), values.end());
}

Rcpp::NumericMatrix square(const std::vector<float>& values, int64_t order, int64_t columns) {
  Rcpp::NumericMatrix out(static_cast<int>(order), static_cast<int>(columns));
  std::copy(values.begin(), values.end(), out.begin());
  return out;
}

}  // namespace

// [[Rcpp::export(.tova_read_file)]]
Rcpp::List tova_read_file(std::string path) {
  const api::DataSet d = api::read_data_file(path);
  Rcpp::NumericMatrix values = square(d.values, d.objects, d.variables());
  for (double& v : values) {
    if (v == api::kMissingValue) v = NA_REAL;
  }
  return Rcpp::List::create(
      Rcpp::Named("title") = d.title, Rcpp::Named("values") = values,
      Rcpp::Named("types") = Rcpp::IntegerVector(d.types.begin(), d.types.end()),
      Rcpp::Named("periods") = doubles(d.periods));
}

// [[Rcpp::export(.tova_associate)]]
Rcpp::List tova_associate(Rcpp::NumericMatrix values, Rcpp::IntegerVector types,
                          Rcpp::NumericVector periods, int threads) {
  const api::Association a = api::associate(data_set(values, types, periods), threads);
  const int64_t m = a.variables;
  return Rcpp::List::create(Rcpp::Named("d_correlation") = square(a.d_correlation, m, m),
                            Rcpp::Named("dissimilarity") = square(api::dissimilarity(a), m, m),
                            Rcpp::Named("squared_distance") = square(a.squared_distance, m, m));
}

// [[Rcpp::export(.tova_pca)]]
Rcpp::List tova_pca_values(Rcpp::NumericMatrix values, Rcpp::IntegerVector types,
                           Rcpp::NumericVector periods, int threads) {
  const api::Ordination o =
      api::ordinate(api::associate(data_set(values, types, periods), threads));
  return Rcpp::List::create(
      Rcpp::Named("eigenvalues") = doubles(o.eigenvalues),
      Rcpp::Named("positive_count") = o.positive_count,
      Rcpp::Named("positive_sum") = static_cast<double>(o.positive_sum),
      Rcpp::Named("percentages") = doubles(o.percentages),
      Rcpp::Named("loadings") = square(o.loadings, o.variables, o.positive_count),
      Rcpp::Named("loads_columns") = o.loads_columns(),
      Rcpp::Named("threshold") = o.started ? static_cast<double>(o.final_threshold) : NA_REAL,
      Rcpp::Named("levels") = doubles(o.levels));
}

// [[Rcpp::export(.tova_gower)]]
Rcpp::NumericVector tova_gower_values(Rcpp::NumericMatrix values, Rcpp::IntegerVector types,
                                      Rcpp::NumericVector periods, int threads) {
  const int64_t n = values.nrow();
  const std::vector<float> semimatrix = api::gower(data_set(values, types, periods), threads);
  Rcpp::NumericVector out(Rcpp::no_init(static_cast<R_xlen_t>(api::condensed_size(n))));
  api::condensed(semimatrix, n, out.begin());
  return out;
}

// A semimatrix read back from MATRIX.DIS in dist's order.
// [[Rcpp::export(.tova_condensed)]]
Rcpp::NumericVector tova_condensed(Rcpp::NumericVector semimatrix, double objects) {
  const auto n = static_cast<int64_t>(objects);
  const std::vector<double> packed(semimatrix.begin(), semimatrix.end());
  Rcpp::NumericVector out(Rcpp::no_init(static_cast<R_xlen_t>(api::condensed_size(n))));
  api::condensed(packed, n, out.begin());
  return out;
}

// Which type codes take a period.
// [[Rcpp::export(.tova_circular)]]
Rcpp::LogicalVector tova_circular(Rcpp::IntegerVector types) {
  Rcpp::LogicalVector circular(types.size());
  for (R_xlen_t j = 0; j < types.size(); ++j) circular[j] = api::is_circular_type(types[j]);
  return circular;
}

// The items of a list-directed record as the console program writes them.
// [[Rcpp::export(.tova_list_directed)]]
std::string tova_list_directed(Rcpp::NumericVector values) {
  textio::RecordBuffer record;
  for (double v : values) textio::list_real(record, static_cast<float>(v));
  return std::string(record.text());
}
