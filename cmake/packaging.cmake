# Installing Trellane as a desktop program, and its Debian package.
# Included at the end of the top-level CMakeLists.txt, when every target is
# known:  cmake --install BUILD --prefix /usr   or   (cd BUILD && cpack -G DEB)
include(GNUInstallDirs)
set(TRELLANE_APP_ID "example.trellane.Trellane")
set(TRELLANE_PACKAGING_DIR "${CMAKE_CURRENT_LIST_DIR}/../packaging")

if(TARGET trellane)
  install(TARGETS trellane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET trellane-cli)
  install(TARGETS trellane-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${TRELLANE_PACKAGING_DIR}/${TRELLANE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TRELLANE_PACKAGING_DIR}/${TRELLANE_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The desktop's software centre lists releases newest first; the newest must
# be the version this build carries.
file(STRINGS ${TRELLANE_PACKAGING_DIR}/${TRELLANE_APP_ID}.metainfo.xml TRELLANE_RELEASES REGEX "<release ")
list(GET TRELLANE_RELEASES 0 TRELLANE_NEWEST_RELEASE)
string(REPLACE "." "\\." TRELLANE_VERSION_PATTERN "${PROJECT_VERSION}")
if(NOT TRELLANE_NEWEST_RELEASE MATCHES "version=\"${TRELLANE_VERSION_PATTERN}\"")
  message(FATAL_ERROR "The newest release in ${TRELLANE_APP_ID}.metainfo.xml is not ${PROJECT_VERSION}")
endif()
install(FILES ${TRELLANE_PACKAGING_DIR}/${TRELLANE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "trellane")
set(CPACK_PACKAGE_VENDOR "The Trellane developers")
set(CPACK_PACKAGE_CONTACT "The Trellane developers <packages@trellane.example>")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Design tool for cable and pipe transits")
set(CPACK_PACKAGE_DESCRIPTION
    "Trellane designs the sealed openings through which cables and pipes pass a wall or deck: it covers and packs the conduits, draws the transit, checks its rules and writes the bill of materials.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "trellane")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "science")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://trellane.example/")
# The shared libraries (Qt, curl, sodium, zlib, libpng) come from
# dpkg-shlibdeps; Qt's SVG plugins and the fonts are loaded at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, fonts-dejavu-core")
if(TARGET trellane_update)
  # The update check verifies the server against the system's authorities.
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ca-certificates")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
