# Cross build for Windows with mingw-w64, for the processor that the toolchain file including
# this one names (mingw-i686.cmake, mingw-x86_64.cmake). Everything links statically, so the
# programs need only Windows' own DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(triplet ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)

# The POSIX thread model, for std::mutex and std::thread (GoogleTest needs them).
set(CMAKE_C_COMPILER ${triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the cross-built programs under Wine where Wine can run them: the 64-bit loader
# for x86_64, the 32-bit one for i686. The 32-bit loader also needs a kernel that runs 32-bit
# programs, which some leave out; the loader is tried once here, and where it cannot run,
# the suites that need Wine are left out of the build. ORVANTHE_WINE_LOADER names another
# loader (scripts/wine-loader finds one that runs 32-bit programs on any kernel), or OFF.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    find_program(ORVANTHE_WINE_LOADER NAMES wine64 PATHS /usr/lib/wine)
else()
    find_program(ORVANTHE_WINE_LOADER NAMES wine)
endif()
if(ORVANTHE_WINE_LOADER)
    execute_process(COMMAND ${ORVANTHE_WINE_LOADER} --version RESULT_VARIABLE wineStatus
                    OUTPUT_QUIET ERROR_QUIET)
    if(wineStatus EQUAL 0)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${ORVANTHE_WINE_LOADER})
    endif()
endif()
