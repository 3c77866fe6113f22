// The data file after its title and counts: the type codes, the periods of
// the circular variables and the data rows, all free-form, on unit 1.
#pragma once

#include <optional>
#include <string>

#include "analysis/data_set.h"

namespace tova {

inline constexpr int32_t kDataUnit = 1;

// The first type code that no comparison rule knows (anything but 1 to 7,
// 33 and 34), as a message naming it and its variable; nothing when all are
// known.
std::optional<std::string> find_unknown_type(const DataSet& data);

// One READ of all type codes (rejecting unknown codes at once), one READ per
// period of a variable of type 6 or 34, one READ per object row.
void read_data_file(DataSet& data);

}  // namespace tova
