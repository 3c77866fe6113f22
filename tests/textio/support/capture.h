// Test support: console hooks that record every call, typed input lines,
// and an exit seam that throws, so a whole statement sequence can be run
// and its end observed inside one test process.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "textio/console_hooks.h"

namespace textio::testing {

struct ProcessEnded {
  int32_t status;
};

struct HookCall {
  int32_t handle;  // -11 or -12
  std::string bytes;
};

class ConsoleCapture {
 public:
  ConsoleCapture();
  ~ConsoleCapture();

  // Lines the `read` hook hands out, one per call (with their line end).
  void type(std::string line) { input_.push_back(std::move(line)); }

  const std::vector<HookCall>& writes() const { return writes_; }
  std::string output() const;  // every standard-output byte
  std::string errors() const;  // every standard-error byte
  int polls() const { return polls_; }
  int reads() const { return reads_; }
  std::vector<int32_t> finishes() const { return finishes_; }

 private:
  std::deque<std::string> input_;
  std::vector<HookCall> writes_;
  std::vector<int32_t> finishes_;
  int polls_ = 0;
  int reads_ = 0;
};

// Runs `body`, which must end the process; returns the exit status.
template <class Body>
int32_t run_to_end(Body body) {
  try {
    body();
  } catch (const ProcessEnded& ended) {
    return ended.status;
  }
  return 9999;  // did not end
}

// A fresh temporary directory made current for the test's lifetime.
class TempDirectory {
 public:
  TempDirectory();
  ~TempDirectory();
  std::filesystem::path path() const { return path_; }
  static std::string read(const std::string& name);
  static void write(const std::string& name, const std::string& bytes);

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

}  // namespace textio::testing
