# Installs the build into a scratch prefix and checks what a Linux desktop needs of it:
# the window's executable, its desktop entry (valid, naming the installed program and
# icon) and the icon in each size of the hicolor theme.
# Run as: cmake -DBUILD=<build dir> -DPREFIX=<scratch dir> -P desktop_install_check.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
    message(FATAL_ERROR "cmake --install failed")
endif()

set(entry "${PREFIX}/share/applications/orvanthe.desktop")
file(STRINGS "${entry}" execLine REGEX "^Exec=")
file(STRINGS "${entry}" iconLine REGEX "^Icon=")
string(REGEX REPLACE "^Exec=([^ ]*).*" "\\1" program "${execLine}")
string(REPLACE "Icon=" "" icon "${iconLine}")
foreach(file IN ITEMS "bin/${program}" "share/icons/hicolor/16x16/apps/${icon}.png"
                      "share/icons/hicolor/32x32/apps/${icon}.png")
    if(NOT EXISTS "${PREFIX}/${file}")
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()

execute_process(COMMAND desktop-file-validate "${entry}" RESULT_VARIABLE failed
                OUTPUT_VARIABLE complaints ERROR_VARIABLE complaints)
if(failed OR complaints)
    message(FATAL_ERROR "desktop-file-validate: ${complaints}")
endif()
