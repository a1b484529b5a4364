# Cross build for 64-bit Windows (Debian: g++-mingw-w64-x86-64), where the Windows suites run
# under 64-bit Wine on a kernel that cannot run 32-bit programs:
#   cmake -S . -B build-win64 --toolchain cmake/mingw-x86_64.cmake
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
