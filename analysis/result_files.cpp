// The result files. Each list-directed WRITE is exactly one record.
#include "analysis/result_files.h"

#include "textio/io_api.h"
#include "textio/statement.h"

namespace tova {

using textio::unit;
using textio::WriteStatement;

namespace {

constexpr int32_t kLoadsUnit = 10;
constexpr int32_t kMatrixUnit = 2;
// At most this many components are written and shown per variable.
constexpr int32_t kShownComponents = 10;

textio::OpenSpecifiers replaced_when_complete() {
  textio::OpenSpecifiers specifiers;
  specifiers.status = "REPLACE";
  return specifiers;
}

}  // namespace

void write_loads(std::string_view data_title, int32_t n, Ordination& r) {
  textio::open_unit(kLoadsUnit, kLoadsFileName, replaced_when_complete());
  WriteStatement(unit(kLoadsUnit)).character(" PCA loadings from  ").character(data_title);
  if (r.positive_count > kShownComponents) r.positive_count = kShownComponents;
  WriteStatement(unit(kLoadsUnit)).integer(n).integer(r.positive_count);
  // Loading of variable i on component j: row i, column j.
  const Matrix<float> loadings(r.vectors.data(), n, n);
  for (int64_t i = 1; i <= n; ++i) {
    for (int64_t j = 1; j <= r.positive_count; ++j) {
      r.percentages(j) = loadings(i, j);
    }
    {
      WriteStatement row(unit(kLoadsUnit));
      for (int64_t j = 1; j <= r.positive_count; ++j) row.real(r.percentages(j));
    }
    write_variable_loadings(static_cast<int32_t>(i), r.percentages, r.positive_count);
  }
  textio::close_unit(kLoadsUnit);
}

void write_matrix_dis(std::string_view data_title, int32_t object_count, int64_t triangle_size,
                      Vector<float> semimatrix) {
  textio::open_unit(kMatrixUnit, kMatrixFileName, replaced_when_complete());
  WriteStatement(unit(kMatrixUnit)).character(" SEMIMATRIX FROM ").character(data_title);
  WriteStatement(unit(kMatrixUnit)).integer(object_count);
  {
    WriteStatement values(unit(kMatrixUnit));
    for (int64_t p = 1; p <= triangle_size; ++p) values.real(semimatrix(p));
  }
  textio::close_unit(kMatrixUnit);
}

}  // namespace tova
