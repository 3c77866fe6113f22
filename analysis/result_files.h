// LOADS.TXT (the loadings, every run) and MATRIX.DIS (the Gower semimatrix,
// on request): list-directed text files, one statement per record.
#pragma once

#include <cstdint>
#include <string_view>

#include "analysis/arrays.h"
#include "analysis/report.h"

namespace tova {

inline constexpr std::string_view kLoadsFileName = "LOADS.TXT";
inline constexpr std::string_view kMatrixFileName = "MATRIX.DIS";

// Both files replace an older file of their name only when complete: a run
// that fails on the way leaves the older file as it was.
//
// Opens LOADS.TXT on unit 10, writes the title and size records, lowers
// positive_count to 10 when larger, then for each variable its row of
// loadings (through the `percentages` row buffer) followed by the same row on
// the console; closes the unit.
void write_loads(std::string_view data_title, int32_t variable_count, Ordination& result);

// MATRIX.DIS on unit 2: title record, object_count, then all triangle_size
// elements of the semimatrix in one record; closes the unit.
void write_matrix_dis(std::string_view data_title, int32_t object_count, int64_t triangle_size,
                      Vector<float> semimatrix);

}  // namespace tova
