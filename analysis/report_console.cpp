// The eigenvalue report on the console.
#include "analysis/report.h"
#include "textio/statement.h"

namespace tova {

using textio::compile_format;
using textio::FormatTable;
using textio::kConsole;
using textio::WriteStatement;

void ordination_report(int32_t order, const Ordination& r) {
  static const FormatTable k7 = compile_format(
      "(///3X,'NUMBER OF POSITIVE EIGENVALUES =',I6//3X,  'SUM OF POSITIVE EIGENVALUES =',E21.8/)");
  static const FormatTable k8 = compile_format("(3X,'EIGENVALUES'/(5E12.4))");
  static const FormatTable k9 = compile_format("(/3X,'EIGENVALUES AS PERCENT'/(5F12.2))");
  static const FormatTable k12 = compile_format("(///3X,'COMPONENT CORRELATIONS '//)");

  WriteStatement{kConsole};  // no items: a record holding one blank
  WriteStatement(kConsole, &k7).integer(r.positive_count).real(r.positive_sum);
  {
    WriteStatement eigenvalues(kConsole, &k8);
    for (int64_t i = 1; i <= order; ++i) eigenvalues.real(r.eigenvalues(i));
  }
  {
    WriteStatement percentages(kConsole, &k9);
    for (int64_t i = 1; i <= r.positive_count; ++i) percentages.real(r.percentages(i));
  }
  WriteStatement(kConsole, &k12);
}

void write_variable_loadings(int32_t variable, Vector<float> row, int32_t count) {
  static const FormatTable k17 = compile_format("(2X,'VARIABLE',I4,/(5F12.3))");
  WriteStatement line(kConsole, &k17);
  line.integer(variable);
  for (int64_t j = 1; j <= count; ++j) line.real(row(j));
}

}  // namespace tova
