// The data file after its title and counts: the type codes, the periods of
// the circular variables and the data rows, all free-form, on unit 1.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "analysis/data_set.h"

namespace tova {

inline constexpr int32_t kDataUnit = 1;
// The title record is read into this many characters, blank-padded.
inline constexpr size_t kTitleLength = 100;

// The first type code that no comparison rule knows (anything but 1 to 7,
// 33 and 34), as a message naming it and its variable; nothing when all are
// known.
std::optional<std::string> find_unknown_type(const DataSet& data);

// The records after the counts, in the order the run reads them: one READ
// of all type codes (even when there are none), then, the codes known, one
// READ per period of a variable of type 6 or 34 and one READ per object
// row. next_read() begins a list-directed READ on the next record (a
// statement with integer() and real() items); refuse(message) is called
// with the first unknown type code and must not return.
template <class NextRead, class Refuse>
void read_records(DataSet& d, NextRead next_read, Refuse refuse) {
  {
    auto types = next_read();
    for (int64_t j = 1; j <= d.variable_count; ++j) types.integer(d.variable_type(j));
  }
  if (const auto unknown = find_unknown_type(d)) refuse(*unknown);
  for (int64_t j = 1; j <= d.variable_count; ++j) {
    if (is_circular_type(d.variable_type(j))) next_read().real(d.period(j));
  }
  for (int64_t i = 1; i <= d.object_count; ++i) {
    auto row = next_read();
    for (int64_t j = 1; j <= d.variable_count; ++j) row.real(d.data_matrix(i, j));
  }
}

// The records after the counts from unit 1; an unknown type code ends the
// run.
void read_data_file(DataSet& data);

}  // namespace tova
