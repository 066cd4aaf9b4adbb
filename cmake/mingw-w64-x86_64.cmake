# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (x86_64 only: the
# 32-bit target is not built or tested here).
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LINGERJOB_MINGW_TRIPLE x86_64-w64-mingw32)

# The win32 thread model needs no winpthread; fall back to the plain names.
find_program(CMAKE_CXX_COMPILER NAMES ${LINGERJOB_MINGW_TRIPLE}-g++-win32 ${LINGERJOB_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${LINGERJOB_MINGW_TRIPLE}-gcc-win32 ${LINGERJOB_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${LINGERJOB_MINGW_TRIPLE}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${LINGERJOB_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)  # host tools (wine, wrestool) stay findable
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
