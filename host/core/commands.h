// Menu command IDs of the frame's menu bar, and where the program's own
// menu items begin. The resource script writes the same numbers (the front
// end checks them at compile time).
#pragma once

#include <cstdint>

namespace tova::host {

enum Command : int32_t {
  kCmdSave = 500,
  kCmdSaveAs = 501,
  kCmdPrint = 510,
  kCmdAbout = 520,
  kCmdExit = 530,
  kCmdUndo = 600,
  kCmdCut = 610,
  kCmdCopy = 611,
  kCmdPaste = 612,
  kCmdDelete = 613,
  kCmdSelectAll = 614,
  kCmdTile = 700,
  kCmdCascade = 701,
  kCmdArrange = 702,
};

// The program's menu items take command IDs from here on, one per item.
inline constexpr int32_t kFirstUserCommand = 800;

}  // namespace tova::host
