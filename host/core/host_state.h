// The host's flags and save name, shared by the frame, the Input/Output
// window and the save commands.
#pragma once

#include <cstdint>
#include <string>

namespace tova::host {

// Menu command IDs of the frame's menu bar.
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
  kCmdFirstUser = 800,
};

struct HostState {
  // The text has been written to a file since it last changed.
  bool saved = false;
  // The close sequence has begun; a further close destroys the frame.
  bool closing = false;
  // The program has ended and the `finish` hook is pumping.
  bool program_finished = false;
  std::string save_name;   // last save path, empty until the first save
  std::string save_title;  // its file-name part
};

}  // namespace tova::host
