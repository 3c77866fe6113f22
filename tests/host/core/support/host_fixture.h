// A host core on a fake platform, with a window of a chosen size in cells of
// 8 x 16 pixels, and helpers that act as the user and the program.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "host/core/host.h"
#include "tests/host/core/support/fake_platform.h"

namespace tova::host::testing {

inline constexpr int32_t kCellWidth = 8;
inline constexpr int32_t kCellHeight = 16;

class HostTest : public ::testing::Test {
 protected:
  FakePlatform platform;
  Host host{platform};

  IoWindow& io() { return host.io(); }
  const TextStore& store() { return host.store(); }

  void open_window(int32_t rows, int32_t cols) {
    io().on_create(kCellWidth, kCellHeight);
    io().on_resize(cols * kCellWidth, rows * kCellHeight);
    platform.clear_trace();
  }
  // Characters as the window's character message gets them.
  void type(std::string_view text) {
    for (char c : text) io().on_char(static_cast<uint8_t>(c));
  }
  // One record of program output through the `write` hook, ended with CR LF
  // as the run-time ends it unless it ends in LF already.
  int32_t output(std::string_view record) {
    std::string bytes(record);
    if (bytes.empty() || bytes.back() != '\n') bytes += "\r\n";
    return write_piece(bytes);
  }
  // A `write` call with exactly these bytes.
  int32_t write_piece(std::string_view bytes) {
    int32_t count = static_cast<int32_t>(bytes.size());
    return host.write(bytes.data(), &count, -11);
  }
  // Queues a typed text (one character message each) for the waiting pump.
  void queue_typing(std::string_view text) {
    for (char c : text) {
      platform.waiting.push_back(
          {PumpEvent::dispatched, [this, c] { io().on_char(static_cast<uint8_t>(c)); }});
    }
  }
  // A save name as the save dialog gives it, without writing the file; the
  // trace starts anew after the dialog.
  void name_save_file(std::string_view path, std::string_view title = "") {
    platform.save_choices.push_back(SaveChoice{std::string(path), std::string(title)});
    ASSERT_TRUE(host.save_command().choose_file());
    platform.clear_trace();
  }
  std::vector<std::string> lines() {
    std::vector<std::string> all;
    for (size_t i = 1; i <= store().line_count(); ++i) all.emplace_back(store().line_text(i));
    return all;
  }
  // A read hook call with the run-time's 256-byte buffer.
  std::string read_line(int32_t size = 256) {
    std::string buffer(static_cast<size_t>(size), '\x7f');
    int32_t n = host.read(buffer.data(), size);
    return buffer.substr(0, static_cast<size_t>(n));
  }
};

using Lines = std::vector<std::string>;

}  // namespace tova::host::testing
