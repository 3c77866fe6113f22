// Free-form input on arbitrary bytes: every outcome must be a value or an
// IoFailure, never a crash, a hang or an out-of-bounds access.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "textio/io_error.h"
#include "textio/list_input.h"

namespace {

class LinesReader final : public textio::RecordReader {
 public:
  explicit LinesReader(std::vector<std::string> lines) : lines_(std::move(lines)) {}
  void next_record(textio::RecordBuffer& record) override {
    if (next_ >= lines_.size()) throw textio::IoFailure{textio::kReadPastEndOfFile};
    record.assign(lines_[next_++]);
  }

 private:
  std::vector<std::string> lines_;
  size_t next_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t selector = data[0];
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  textio::RecordBuffer record;
  record.assign(lines.front());
  lines.erase(lines.begin());
  LinesReader reader(std::move(lines));
  textio::ListInput input(record, reader);
  try {
    for (int item = 0; item < 16; ++item) {
      switch ((selector >> (item % 4 * 2)) & 3) {
        case 0: {
          int32_t v = 0;
          input.read_integer(&v, 4);
          break;
        }
        case 1: {
          float v = 0;
          input.read_real(&v, 4);
          break;
        }
        case 2: {
          double v = 0;
          input.read_real(&v, 8);
          break;
        }
        default: {
          char v[7];
          input.read_character(v, sizeof v);
          break;
        }
      }
    }
  } catch (const textio::IoFailure&) {
  }
  return 0;
}
