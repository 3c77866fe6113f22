# Cross-builds the Windows program with Debian's mingw-w64 (x86-64). The
# posix thread variant is preferred: its C++ library has std::thread and
# std::mutex. Everything is linked statically so tova.exe ships alone.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOVA_MINGW_PREFIX x86_64-w64-mingw32)
find_program(TOVA_MINGW_CC NAMES ${TOVA_MINGW_PREFIX}-gcc-posix ${TOVA_MINGW_PREFIX}-gcc)
find_program(TOVA_MINGW_CXX NAMES ${TOVA_MINGW_PREFIX}-g++-posix ${TOVA_MINGW_PREFIX}-g++)
if(NOT TOVA_MINGW_CC OR NOT TOVA_MINGW_CXX)
  message(FATAL_ERROR "${TOVA_MINGW_PREFIX}-g++ not found: install g++-mingw-w64-x86-64")
endif()
set(CMAKE_C_COMPILER ${TOVA_MINGW_CC})
set(CMAKE_CXX_COMPILER ${TOVA_MINGW_CXX})
find_program(CMAKE_RC_COMPILER ${TOVA_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${TOVA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The unit tests run as .exe files under Wine.
find_program(TOVA_WINE NAMES wine64 wine)
if(TOVA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TOVA_WINE})
endif()

# GCC 12 at -O2 and above reports overlapping copies inside std::string's
# own operator+ (a known false positive of -Wrestrict); it is not ours to fix.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")
