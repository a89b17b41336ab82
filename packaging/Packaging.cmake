# The installed layout and the Debian package.
#
#   <prefix>/bin/velmora, velmora-cli
#   <prefix>/share/velmora/         templates and the help page
#   <prefix>/share/applications/    the menu entry
#   <prefix>/share/icons/hicolor/   the icon, scalable and 48 px
#   <prefix>/share/metainfo/        AppStream data
#   <prefix>/share/man/man1/        manual pages
#
# An installed program finds its shared folder from the executable's folder
# (see platform/InstallLayout), so the tree can be moved as a whole: a DESTDIR
# install or an unpacked package runs from where it lies.

include(GNUInstallDirs)

set(VELMORA_DESKTOP_ID io.velmora.Velmora)
set(VELMORA_LICENSE "LicenseRef-proprietary" CACHE STRING "SPDX licence expression of the program")
set(VELMORA_RELEASE_DATE 2026-12-08)
set(packaging_dir ${CMAKE_SOURCE_DIR}/packaging)
set(packaging_out ${CMAKE_BINARY_DIR}/packaging)

file(RELATIVE_PATH datadir_from_bindir ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/velmora)
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/platform/InstallLayout.cpp
    DIRECTORY ${CMAKE_SOURCE_DIR}/src
    PROPERTIES COMPILE_DEFINITIONS "VELMORA_DATADIR_FROM_BINDIR=\"${datadir_from_bindir}\"")

install(TARGETS velmora velmora-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/src/resources/first.ini ${CMAKE_SOURCE_DIR}/src/resources/Yasumi.dat
              ${CMAKE_SOURCE_DIR}/src/resources/help.html
        DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora)
install(FILES ${packaging_dir}/${VELMORA_DESKTOP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging_dir}/icons/${VELMORA_DESKTOP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${packaging_dir}/icons/${VELMORA_DESKTOP_ID}-48.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps RENAME ${VELMORA_DESKTOP_ID}.png)

configure_file(${packaging_dir}/${VELMORA_DESKTOP_ID}.metainfo.xml.in
               ${packaging_out}/${VELMORA_DESKTOP_ID}.metainfo.xml @ONLY)
install(FILES ${packaging_out}/${VELMORA_DESKTOP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages go in compressed, as Debian's tools expect them.
find_program(VELMORA_GZIP gzip)
set(man_pages)
foreach(page velmora velmora-cli)
    if(VELMORA_GZIP)
        add_custom_command(
            OUTPUT ${packaging_out}/${page}.1.gz
            COMMAND ${VELMORA_GZIP} -9 -n -c ${packaging_dir}/man/${page}.1 > ${packaging_out}/${page}.1.gz
            DEPENDS ${packaging_dir}/man/${page}.1
            VERBATIM)
        list(APPEND man_pages ${packaging_out}/${page}.1.gz)
    else()
        list(APPEND man_pages ${packaging_dir}/man/${page}.1)
    endif()
endforeach()
add_custom_target(velmora_man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The Debian package: `cmake --build <dir> --target package`.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "The Velmora developers")
set(CPACK_PACKAGE_CONTACT "The Velmora developers <dev@velmora.io>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop scheduler that draws your calendar as the wallpaper")
set(CPACK_PACKAGE_DESCRIPTION
    "Velmora keeps your schedule and draws it as a month calendar, with the Japanese\n"
    "public holidays, the rokuyou and the old-calendar dates, over your own desktop\n"
    "picture and installs the result as the wallpaper. It lives behind a tray icon.\n"
    "velmora-cli runs the same logic from scripts.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://velmora.io/)
# Libraries come from the executables; what they load by name does not show
# there: the Japanese fonts the font table maps the settings' faces to.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-motoya-l-maruberi, fonts-ipafont-gothic, fonts-ipafont-mincho")
# The modern faces fall back to the IPA fonts without Noto; Qt's own texts
# (standard buttons, dialogs) are English without its translations.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, qt6-translations-l10n, qt6-image-formats-plugins, pulseaudio | pipewire-pulse")
include(CPack)
