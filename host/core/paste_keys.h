// What a paste types into the Input/Output window.
#pragma once

#include <string>
#include <string_view>

namespace tova::host {

// Each CR LF, LF or CR becomes one Enter (13), Tab stays, and no other
// control character is typed.
std::string paste_keys(std::string_view text);

}  // namespace tova::host
