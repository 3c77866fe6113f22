// The saved text file of the Input/Output window: each store line's bytes
// exactly as stored, each followed by CR LF; nothing else.
#pragma once

#include <string>

#include "host/core/text_store.h"

namespace tova::host {

// The bytes of one line in the file.
std::string text_file_line(std::string_view line);
// The whole file's bytes.
std::string text_file_bytes(const TextStore& store);

}  // namespace tova::host
