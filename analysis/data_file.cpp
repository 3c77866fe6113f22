// Reading the data file. Every READ starts on a new record and skips the rest
// of its last one; the run-time ends the run on any read failure.
#include "analysis/data_file.h"

#include "textio/statement.h"

namespace tova {

using textio::ReadStatement;
using textio::unit;

std::optional<std::string> find_unknown_type(const DataSet& d) {
  for (int64_t j = 1; j <= d.variable_count; ++j) {
    const int32_t code = d.variable_type(j);
    if (!is_known_type(code)) {
      return "Unknown variable type code " + std::to_string(code) + " for variable " +
             std::to_string(j);
    }
  }
  return std::nullopt;
}

void read_data_file(DataSet& d) {
  {
    // Reads one record even when there are no variables.
    ReadStatement types(unit(kDataUnit));
    for (int64_t j = 1; j <= d.variable_count; ++j) types.integer(d.variable_type(j));
  }
  if (const auto unknown = find_unknown_type(d)) textio::fatal_data_error(*unknown);
  for (int64_t j = 1; j <= d.variable_count; ++j) {
    if (is_circular_type(d.variable_type(j))) ReadStatement(unit(kDataUnit)).real(d.period(j));
  }
  for (int64_t i = 1; i <= d.object_count; ++i) {
    ReadStatement row(unit(kDataUnit));
    for (int64_t j = 1; j <= d.variable_count; ++j) row.real(d.data_matrix(i, j));
  }
}

}  // namespace tova
