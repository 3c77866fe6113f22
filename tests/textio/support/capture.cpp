#include "support/capture.h"

#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

#include "textio/io_api.h"
#include "textio/io_error.h"
#include "textio/testing.h"

namespace textio::testing {

ConsoleCapture::ConsoleCapture() {
  reset_runtime_for_tests();
  ConsoleHooks hooks;
  hooks.read = [this](char* buffer, int32_t size) -> int32_t {
    ++reads_;
    if (input_.empty()) return 0;
    std::string line = input_.front();
    input_.pop_front();
    const size_t n = std::min(line.size(), static_cast<size_t>(size));
    std::memcpy(buffer, line.data(), n);
    return static_cast<int32_t>(n);
  };
  hooks.write = [this](const char* buffer, int32_t* count, int32_t handle) -> int32_t {
    writes_.push_back({handle, std::string(buffer, static_cast<size_t>(*count))});
    return *count;
  };
  hooks.finish = [this](int32_t code) { finishes_.push_back(code); };
  hooks.poll = [this] { ++polls_; };
  install_console_hooks(hooks);
  set_process_exit([](int32_t status) { throw ProcessEnded{status}; });
}

ConsoleCapture::~ConsoleCapture() {
  reset_runtime_for_tests();
  install_console_hooks(default_console_hooks());
  set_process_exit(nullptr);
}

std::string ConsoleCapture::output() const {
  std::string all;
  for (const HookCall& call : writes_) {
    if (call.handle == kStdOutputHandle) all += call.bytes;
  }
  return all;
}

std::string ConsoleCapture::errors() const {
  std::string all;
  for (const HookCall& call : writes_) {
    if (call.handle == kStdErrorHandle) all += call.bytes;
  }
  return all;
}

TempDirectory::TempDirectory() {
  previous_ = std::filesystem::current_path();
  std::random_device random;
  path_ = std::filesystem::temp_directory_path() /
          ("tova-test-" + std::to_string(random()) + std::to_string(random()));
  std::filesystem::create_directories(path_);
  std::filesystem::current_path(path_);
}

TempDirectory::~TempDirectory() {
  std::filesystem::current_path(previous_);
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDirectory::read(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void TempDirectory::write(const std::string& name, const std::string& bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out << bytes;
}

}  // namespace textio::testing
