// `tova export` on golden result files: each format byte for byte, and the
// refusals of malformed, truncated and mislabelled input.
#include "app/export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kGolden = fs::path(TOVA_SOURCE_DIR) / "tests" / "golden";
const std::string kCircle = (kGolden / "matrix_dis_example/expected/files/MATRIX.DIS").string();
const std::string kLoads = (kGolden / "r_half_gower/expected/files/LOADS.TXT").string();

// A folder of this run's own, so that runs at the same time (two builds on
// one machine) keep off each other's files; removed at exit.
struct ScratchFolder {
  fs::path path =
      fs::temp_directory_path() / ("tova_export_" + std::to_string(std::random_device{}()));
  ScratchFolder() { fs::create_directories(path); }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
};

fs::path scratch(const std::string& name, const std::string& bytes = "") {
  static const ScratchFolder folder;
  const fs::path p = folder.path / name;
  if (!bytes.empty()) std::ofstream(p, std::ios::binary) << bytes;
  return p;
}

// Runs the export into a file; the output, or the message on failure.
std::string run(std::vector<std::string> args) {
  const std::string out = scratch("out.txt").string();
  fs::remove(out);
  args.insert(args.begin(), "export");
  args.insert(args.end(), {"-o", out});
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  testing::internal::CaptureStderr();
  const int status = tova::run_export(static_cast<int>(argv.size()), argv.data());
  const std::string message = testing::internal::GetCapturedStderr();
  if (status != 0) return "error: " + message.substr(0, message.find('\n'));
  std::ifstream in(out, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(Export, WritesEachFormatWithTheValuesAsTheyStand) {
  const std::string labels = scratch("labels", "north\r\nsouth, east\nwest\n\n").string();
  EXPECT_EQ(run({kCircle, "--format", "phylip", "--labels", labels}),
            "3\nnorth\nsouth, east .250000\nwest .500000 .750000\n");
  EXPECT_EQ(run({kCircle, "--format", "csv", "--labels", labels}),
            ",north,\"south, east\",west\nnorth,.000000,.250000,.500000\n"
            "\"south, east\",.250000,.000000,.750000\nwest,.500000,.750000,.000000\n");
  EXPECT_EQ(run({kCircle, "--format", "lsmat"}),
            "\t1\t2\t3\n1\t.000000\t.250000\t.500000\n2\t.250000\t.000000\t.750000\n"
            "3\t.500000\t.750000\t.000000\n");
  EXPECT_EQ(run({kLoads, "--format", "csv"}),
            "variable,PC1,PC2\n1,.866025,-.500000\n2,.866025,.500000\n");
}

TEST(Export, RefusesWhatItCannotExportFaithfully) {
  const std::string two = scratch("two", "a\nb\n").string();
  EXPECT_EQ(run({kCircle, "--format", "csv", "--labels", two}),
            "error: tova export: " + two + ": 2 labels for 3 objects");
  const auto truncated = scratch("truncated", "  SEMIMATRIX FROM x\n   3\n .0 .25 .0 .5\n");
  EXPECT_EQ(run({truncated.string(), "--format", "phylip"}),
            "error: tova export: " + truncated.string() + ": 4 values for 3 objects (expected 6)");
  const auto bad = scratch("bad", "  SEMIMATRIX FROM x\n   2\n .0 .25\n x\n");
  EXPECT_EQ(run({bad.string(), "--format", "phylip"}),
            "error: tova export: " + bad.string() + ": line 4: not a number: x");
  const auto rows = scratch("rows", "  PCA loadings from  x\n   2  2\n .1 .2\n");
  EXPECT_EQ(run({rows.string(), "--format", "csv"}),
            "error: tova export: " + rows.string() + ": 1 rows for 2 variables");
  EXPECT_EQ(run({kLoads, "--format", "phylip"}),
            "error: tova export: LOADS.TXT exports as csv, not phylip");
  EXPECT_EQ(run({two, "--format", "csv"}),
            "error: tova export: " + two + ": neither a MATRIX.DIS nor a LOADS.TXT (title record)");
  EXPECT_EQ(run({kCircle}), "error: tova export: name a result file and a --format");
}

}  // namespace
