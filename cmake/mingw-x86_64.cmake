# Cross-build for 64-bit Windows.
set(PORTGAUGE_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)

# Test executables run under 64-bit Wine; the test script provides WINEPREFIX
# and DISPLAY. Debian keeps the 64-bit loader off PATH, Ubuntu puts it on.
find_program(PORTGAUGE_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CACHE)
if(NOT PORTGAUGE_WINE64)
  set(PORTGAUGE_WINE64 wine64)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${PORTGAUGE_WINE64})
