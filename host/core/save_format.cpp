#include "host/core/save_format.h"

namespace tova::host {

std::string text_file_line(std::string_view line) {
  std::string bytes(line);
  bytes += "\r\n";
  return bytes;
}

}  // namespace tova::host
