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
  read_records(
      d, [] { return ReadStatement(unit(kDataUnit)); },
      [](const std::string& unknown) { textio::fatal_data_error(unknown); });
}

}  // namespace tova
