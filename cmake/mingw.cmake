# Cross-build for Windows with MinGW-w64 (win32 thread model), for the
# processor the toolchain file that includes this names in
# PORTGAUGE_MINGW_PROCESSOR (i686 or x86_64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${PORTGAUGE_MINGW_PROCESSOR})
set(triple ${PORTGAUGE_MINGW_PROCESSOR}-w64-mingw32)

set(CMAKE_C_COMPILER ${triple}-gcc-win32)
set(CMAKE_CXX_COMPILER ${triple}-g++-win32)
set(CMAKE_RC_COMPILER ${triple}-windres)
# What clang-tidy is told to compile for when it checks this tree's sources.
set(PORTGAUGE_CLANG_TARGET ${triple})

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
