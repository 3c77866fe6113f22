// `tova export`: the result files of a run in the formats other programs read.
//
//   tova export MATRIX.DIS --format phylip|csv|lsmat [--labels FILE] [-o OUT]
//   tova export LOADS.TXT --format csv [--labels FILE] [-o OUT]
//
// The kind of file is taken from its title record. Values are copied as they
// stand in the file, never converted and written again. Labels: one name per
// line of FILE, as many as objects (or variables); 1..n without the option.
#pragma once

namespace tova {

// argv[0] is "export"; the rest as above. Writes to OUT or standard output;
// returns 0, or 1 after a message on standard error.
int run_export(int argc, char** argv);

}  // namespace tova
