// The saved text file of the Input/Output window: each store line's bytes
// exactly as stored, each followed by CR LF; nothing else.
#pragma once

#include <string>
#include <string_view>

namespace tova::host {

// The bytes of one line in the file.
std::string text_file_line(std::string_view line);

}  // namespace tova::host
