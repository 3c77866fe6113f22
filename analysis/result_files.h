// LOADS.TXT (the loadings, every run) and MATRIX.DIS (the Gower semimatrix,
// on request): list-directed text files, one statement per record.
#pragma once

#include <cstdint>
#include <string_view>

#include "analysis/arrays.h"
#include "analysis/report.h"
#include "textio/statement.h"

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
// The values are converted on `threads` threads (<= 0: as many as the
// kernels use); the file is the same for every count.
void write_matrix_dis(std::string_view data_title, int32_t object_count, int64_t triangle_size,
                      Vector<float> semimatrix, int threads = 0);

// Passes `count` reals to the list-directed WRITE `values`, which gets the
// bytes it would get from values.real() for each in turn: blocks of
// `block_values` are converted on `threads` threads into buffers of their
// own and handed over in order by the calling thread, which alone makes
// statement calls and converts blocks itself while waiting. At most three
// blocks per thread are held at a time.
inline constexpr int64_t kConvertedBlockValues = 8192;
void write_reals_in_blocks(textio::WriteStatement& values, const float* data, int64_t count,
                           int threads, int64_t block_values = kConvertedBlockValues);

}  // namespace tova
