# What the packages carry beyond the programs, and the packages themselves (cpack, run by
# ./scripts/package): a Debian package of the Linux build, a zip of the Windows build.
set(resources ${PROJECT_SOURCE_DIR}/resources)
set(CPACK_PACKAGE_NAME orvanthe)
set(CPACK_PACKAGE_VENDOR "the Orvanthe developers")
set(CPACK_PACKAGE_CONTACT "the Orvanthe developers <orvanthe@users.noreply.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "convert download addresses between http, thunder, flashget and qqdl links")
set(releaseDate 2026-12-07) # of this version; the change log below gives it too
set(CPACK_STRIP_FILES ON)

if(WIN32)
    # The programs at the top of the zip, beside two texts that Notepad shows right:
    # UTF-8 with a byte-order mark and CR LF line ends.
    string(ASCII 239 187 191 bom)
    foreach(text IN ITEMS ${PROJECT_SOURCE_DIR}/LICENSE ${resources}/readme-zh.txt)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${text})
        file(READ ${text} content)
        string(CONFIGURE "${content}" content @ONLY)
        string(REPLACE "\n" "\r\n" content "${content}")
        get_filename_component(name ${text} NAME_WE)
        file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name}.txt "${bom}${content}")
    endforeach()
    if(TARGET orvanthe-link)
        install(TARGETS orvanthe-link RUNTIME DESTINATION .)
    endif()
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt DESTINATION .)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/readme-zh.txt DESTINATION . RENAME "说明.txt")

    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME Orvanthe-${PROJECT_VERSION}-win32)
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
    include(CPack)
    return()
endif()
if(APPLE)
    return()
endif()

include(GNUInstallDirs)
set(doc ${CMAKE_INSTALL_DATADIR}/doc/orvanthe)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${doc} RENAME copyright)
configure_file(${resources}/org.orvanthe.Orvanthe.metainfo.xml.in
               org.orvanthe.Orvanthe.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/org.orvanthe.Orvanthe.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages, compressed as Debian keeps them: the window's written by hand, the
# command-line tool's made from its --help, so that it never falls behind.
configure_file(${resources}/orvanthe.1 orvanthe.1 @ONLY)
set(pages ${CMAKE_CURRENT_BINARY_DIR}/orvanthe.1.gz)
add_custom_command(OUTPUT orvanthe.1.gz COMMAND gzip -9nkf orvanthe.1
                   DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/orvanthe.1 VERBATIM)
find_program(HELP2MAN help2man)
if(HELP2MAN AND TARGET orvanthe-link)
    list(APPEND pages ${CMAKE_CURRENT_BINARY_DIR}/orvanthe-link.1.gz)
    add_custom_command(
        OUTPUT orvanthe-link.1.gz
        COMMAND ${HELP2MAN} --no-info --no-discard-stderr --section=1
                --name "convert download addresses and links on the command line"
                --output=orvanthe-link.1 $<TARGET_FILE:orvanthe-link>
        COMMAND gzip -9nf orvanthe-link.1
        DEPENDS orvanthe-link VERBATIM)
elseif(TARGET orvanthe-link)
    message(STATUS "help2man not found: orvanthe-link's manual page is left out")
endif()
add_custom_target(manual_pages ALL DEPENDS ${pages})
install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# A Debian package carries a change log, one entry for each release.
file(CONFIGURE OUTPUT changelog
     CONTENT "orvanthe (${PROJECT_VERSION}) unstable; urgency=low\n\n  * First release.\n\n -- ${CPACK_PACKAGE_CONTACT}  Mon, 07 Dec 2026 00:00:00 +0000\n")
add_custom_command(OUTPUT changelog.gz COMMAND gzip -9nkf changelog DEPENDS changelog VERBATIM)
add_custom_target(changelog ALL DEPENDS changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${doc})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The captions are Chinese; without a Simplified-Chinese face Qt may pick a Japanese one.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-wqy-microhei)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Orvanthe converts a download address between four forms: the plain http
address and the private links that begin thunder://, flashget:// and
qqdl://. Paste or type any one form into its window and it fills in the
other three. The command-line tool orvanthe-link does the same for text
given to it or for each line of its standard input.")
include(CPack)
