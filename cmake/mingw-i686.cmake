# Cross build for 32-bit Windows, the program as it ships (Debian: g++-mingw-w64-i686):
#   cmake -S . -B build-win32 --toolchain cmake/mingw-i686.cmake
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
