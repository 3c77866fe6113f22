// The host's set-up: hooks, window classes, menu, frame and Input/Output
// window, then the program's main routine on the same thread.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace tova::host::win32 {

// Status 0: a window class could not be registered (or a previous instance
// was given); 6: the frame or the Input/Output window could not be created.
// Otherwise it does not return: the program ends the process.
int host_main(HINSTANCE instance, HINSTANCE previous, const char* command_tail, int show_state);

// What follows the program's name on a command line: a quoted name ends at
// its closing quote, else at the first blank or tab; blanks and tabs after it
// are skipped.
const char* command_line_tail(const char* command_line);

// The frame's title: the program file's path after its last backslash.
std::string frame_title(std::string_view program_path);

}  // namespace tova::host::win32
