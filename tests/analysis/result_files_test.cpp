// The semimatrix record converted in blocks on worker threads: the bytes of
// the values passed one by one, whatever the block size and thread count,
// and the report of a write that fails with helpers still converting.
#include "analysis/result_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "textio/io_api.h"
#include "textio/statement.h"

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace tova {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// What a semimatrix may hold and more: dissimilarities, -1 markers, zeros
// of both signs, values too small or too large for the fixed layout, NaN
// and infinities.
std::vector<float> mixed_values(size_t count) {
  std::mt19937 random(2026);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  const float inf = std::numeric_limits<float>::infinity();
  const float specials[] = {-1.0f,  0.0f,   -0.0f, 1.0f,        inf,        -inf,     std::nanf(""),
                            1e-30f, -3e-7f, 4e30f, 0.99999997f, 9.9999995f, 123456.7f};
  std::vector<float> values(count);
  for (float& v : values) {
    const uint32_t r = static_cast<uint32_t>(random());
    if (r % 8 == 0) {
      v = specials[r / 8 % std::size(specials)];
    } else if (r % 8 == 1) {
      v = -std::ldexp(unit(random), static_cast<int>(r / 8 % 60) - 30);
    } else {
      v = unit(random);
    }
  }
  return values;
}

class TempFolder {
 public:
  TempFolder()
      : path_(fs::temp_directory_path() /
              ("tova_result_files_" + std::to_string(std::random_device()()))) {
    fs::create_directories(path_);
  }
  ~TempFolder() { fs::remove_all(path_); }
  fs::path path() const { return path_; }

 private:
  fs::path path_;
};

// One record of `values` (with an item either side) in a file of its own:
// one by one when threads is 0, else converted in blocks.
std::string record_of(const fs::path& path, const std::vector<float>& values, int threads,
                      int64_t block_values) {
  textio::open_unit(2, path.string());
  {
    textio::WriteStatement record(textio::unit(2));
    record.integer(3);
    if (threads == 0) {
      for (const float v : values) record.real(v);
    } else {
      write_reals_in_blocks(record, values.data(), static_cast<int64_t>(values.size()), threads,
                            block_values);
    }
    record.character("END");
  }
  textio::close_unit(2);
  return read_file(path);
}

TEST(ResultFiles, BlocksOnThreadsGiveTheBytesOfTheValuesOneByOne) {
  TempFolder folder;
  const std::vector<float> values = mixed_values(30011);
  const std::string one_by_one = record_of(folder.path() / "one", values, 0, 0);
  ASSERT_GT(one_by_one.size(), 9 * values.size());
  for (const int threads : {1, 2, 3}) {
    for (const int64_t block : {1, 7, 4096}) {
      const std::string blocks = record_of(folder.path() / "blocks", values, threads, block);
      EXPECT_TRUE(blocks == one_by_one) << threads << " threads, blocks of " << block;
    }
  }
}

#ifndef _WIN32
// The disk fills up (here: the file-size limit) while helpers convert: the
// WRITE is reported as before and the older file stays.
TEST(ResultFilesDeathTest, AFailedWriteWithHelpersRunningKeepsTheOldFile) {
  TempFolder folder;
  const fs::path previous = fs::current_path();
  fs::current_path(folder.path());
  std::ofstream(kMatrixFileName.data(), std::ios::binary) << "old\r\n";
  EXPECT_EXIT(
      {
        struct rlimit limited {};
        ::getrlimit(RLIMIT_FSIZE, &limited);
        limited.rlim_cur = 1 << 20;
        ::setrlimit(RLIMIT_FSIZE, &limited);
        std::vector<float> values = mixed_values(400000);
        write_matrix_dis("title", 894, static_cast<int64_t>(values.size()),
                         Vector<float>(values.data(), static_cast<int64_t>(values.size())), 2);
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(255),
      "^\\? System Error:\n\\? The file size exceeds the limit allowed and cannot be saved\\.\n"
      "\\? WRITE\\(UNIT=2,\\.\\.\\.\n$");
  EXPECT_EQ(read_file(kMatrixFileName.data()), "old\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
  fs::current_path(previous);
}
#endif

}  // namespace
}  // namespace tova
