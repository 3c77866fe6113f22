// Matrix listings. The dissimilarities are not stored: each is 1 - rho,
// rounded to single precision, at the moment it is printed.
#include "analysis/listings.h"

#include <string_view>

#include "analysis/rules.h"
#include "textio/statement.h"

namespace tova {
namespace {

using textio::FormatTable;
using textio::kConsole;
using textio::WriteStatement;

template <class Value>
void list_one(std::string_view title, int32_t n, const FormatTable& row_format, Value value) {
  WriteStatement{kConsole};  // no items: a record holding one blank
  WriteStatement(kConsole).character(title);
  WriteStatement{kConsole};
  for (int64_t i = 1; i <= n; ++i) {
    WriteStatement row(kConsole, &row_format);
    row.integer(static_cast<int32_t>(i));
    for (int64_t j = 1; j <= n; ++j) row.real(value(i, j));
  }
}

}  // namespace

void list_matrices(int32_t n, Matrix<float> d_correlation, Matrix<float> squared_distance) {
  static const FormatTable k301 = textio::compile_format("(2X,'ROW ',I4/(10F9.4))");
  static const FormatTable k302 = textio::compile_format("(2X,'ROW ',I4/(5E15.7))");
  list_one(" D-CORRELATION MATRIX ", n, k301,
           [&](int64_t i, int64_t j) { return d_correlation(i, j); });
  list_one(" DISSIMILARITY (1-RHO) MATRIX ", n, k301,
           [&](int64_t i, int64_t j) { return one_minus_rho(d_correlation(i, j)); });
  list_one(" SQUARED DISTANCES MATRIX ", n, k302,
           [&](int64_t i, int64_t j) { return squared_distance(i, j); });
}

}  // namespace tova
