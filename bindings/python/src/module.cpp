// The _tova extension: numpy arrays in, numpy arrays out, over the library
// API (analysis/tova.h). The data are converted once into the engine's
// layout; the kernels run without the GIL.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "analysis/tova.h"
#include "textio/edit_output.h"
#include "textio/record_buffer.h"

namespace py = pybind11;
namespace api = tova::api;

namespace {

using FloatArray = py::array_t<float, py::array::forcecast>;

// A float32 numpy array that owns `values` without copying them.
py::array_t<float> to_numpy(std::vector<float>&& values, std::vector<py::ssize_t> shape) {
  auto* owned = new std::vector<float>(std::move(values));
  py::capsule release(owned, [](void* p) { delete static_cast<std::vector<float>*>(p); });
  std::vector<py::ssize_t> strides(shape.size(), sizeof(float));
  // Column-major, the engine's layout.
  for (size_t k = 1; k < shape.size(); ++k) strides[k] = strides[k - 1] * shape[k - 1];
  return py::array_t<float>(shape, strides, owned->data(), release);
}

// values: n x m, any layout and real type; NaN and -1 are missing.
api::DataSet data_set(const FloatArray& values, std::vector<int32_t> types,
                      std::vector<float> periods) {
  if (values.ndim() != 2) throw api::Error("data must be a two-dimensional array");
  const auto n = static_cast<int64_t>(values.shape(0));
  const auto m = static_cast<int64_t>(values.shape(1));
  if (static_cast<int64_t>(types.size()) != m) {
    throw api::Error(std::to_string(types.size()) + " type codes for " + std::to_string(m) +
                     " variables");
  }
  if (periods.empty()) periods.assign(static_cast<size_t>(m), 0.0f);
  api::DataSet d;
  d.objects = n;
  d.types = std::move(types);
  d.periods = std::move(periods);
  d.values.resize(static_cast<size_t>(n * m));
  const auto view = values.unchecked<2>();
  for (int64_t j = 0; j < m; ++j) {
    for (int64_t i = 0; i < n; ++i) {
      const float x = view(i, j);
      d.values[static_cast<size_t>(i + j * n)] = std::isnan(x) ? api::kMissingValue : x;
    }
  }
  return d;
}

py::dict read_file(const std::string& path) {
  api::DataSet d = api::read_data_file(path);
  const int64_t n = d.objects;
  const int64_t m = d.variables();
  py::dict out;
  out["title"] = d.title;
  out["types"] = d.types;
  out["periods"] = d.periods;
  out["values"] = to_numpy(std::move(d.values), {n, m});
  return out;
}

py::tuple associate(const FloatArray& values, std::vector<int32_t> types,
                    std::vector<float> periods, int threads) {
  api::DataSet d = data_set(values, std::move(types), std::move(periods));
  const int64_t m = d.variables();
  api::Association a;
  std::vector<float> one_minus_rho;
  {
    py::gil_scoped_release unlocked;
    a = api::associate(std::move(d), threads);
    one_minus_rho = api::dissimilarity(a);
  }
  return py::make_tuple(to_numpy(std::move(a.d_correlation), {m, m}),
                        to_numpy(std::move(one_minus_rho), {m, m}),
                        to_numpy(std::move(a.squared_distance), {m, m}));
}

py::dict pca(const FloatArray& values, std::vector<int32_t> types, std::vector<float> periods,
             int threads) {
  api::DataSet d = data_set(values, std::move(types), std::move(periods));
  api::Ordination o;
  {
    py::gil_scoped_release unlocked;
    o = api::ordinate(api::associate(std::move(d), threads));
  }
  py::dict out;
  out["eigenvalues"] = to_numpy(std::move(o.eigenvalues), {o.variables});
  out["positive_count"] = o.positive_count;
  out["positive_sum"] = o.positive_sum;
  out["percentages"] = to_numpy(std::move(o.percentages), {o.positive_count});
  out["loads_columns"] = o.loads_columns();
  out["loadings"] = to_numpy(std::move(o.loadings), {o.variables, o.positive_count});
  out["started"] = o.started;
  out["final_threshold"] = o.final_threshold;
  out["levels"] = o.levels;
  return out;
}

py::array_t<float> gower(const FloatArray& values, std::vector<int32_t> types,
                         std::vector<float> periods, int threads) {
  api::DataSet d = data_set(values, std::move(types), std::move(periods));
  const int64_t n = d.objects;
  std::vector<float> pairs;
  {
    py::gil_scoped_release unlocked;
    pairs = api::condensed(api::gower(std::move(d), threads), n);
  }
  const auto size = static_cast<py::ssize_t>(pairs.size());
  return to_numpy(std::move(pairs), {size});
}

// The items of a list-directed record as the console program writes them.
std::string list_directed(
    const py::array_t<float, py::array::c_style | py::array::forcecast>& values) {
  textio::RecordBuffer record;
  for (py::ssize_t k = 0; k < values.size(); ++k) textio::list_real(record, values.data()[k]);
  return std::string(record.text());
}

// A semimatrix read back from MATRIX.DIS in the condensed order.
py::array_t<float> condensed(
    const py::array_t<float, py::array::c_style | py::array::forcecast>& semimatrix,
    int64_t objects) {
  const std::vector<float> packed(semimatrix.data(), semimatrix.data() + semimatrix.size());
  std::vector<float> pairs = api::condensed(packed, objects);
  const auto size = static_cast<py::ssize_t>(pairs.size());
  return to_numpy(std::move(pairs), {size});
}

}  // namespace

PYBIND11_MODULE(_tova, m) {
  m.doc() = "TOVA's analysis engine (see the tova package)";
  py::register_exception<api::Error>(m, "Error", PyExc_ValueError);
  m.def("read", &read_file, py::arg("path"));
  m.def("associate", &associate, py::arg("values"), py::arg("types"), py::arg("periods"),
        py::arg("threads") = 0);
  m.def("pca", &pca, py::arg("values"), py::arg("types"), py::arg("periods"),
        py::arg("threads") = 0);
  m.def("gower", &gower, py::arg("values"), py::arg("types"), py::arg("periods"),
        py::arg("threads") = 0);
  m.def("list_directed", &list_directed, py::arg("values"));
  m.def("condensed", &condensed, py::arg("semimatrix"), py::arg("objects"));
  m.attr("MISSING") = api::kMissingValue;
}
