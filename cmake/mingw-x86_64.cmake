# Cross-build for 64-bit Windows with MinGW-w64 (posix thread model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Test executables run under 64-bit Wine; the test script provides WINEPREFIX
# and DISPLAY. Debian keeps the 64-bit loader off PATH, Ubuntu puts it on.
find_program(PORTGAUGE_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CACHE)
if(NOT PORTGAUGE_WINE64)
  set(PORTGAUGE_WINE64 wine64)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${PORTGAUGE_WINE64})
