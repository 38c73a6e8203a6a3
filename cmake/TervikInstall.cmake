# Installation (GNUInstallDirs layout) and the Debian package (CPack).
# Nothing is installed outside the prefix: the desktop's caches (MIME database, icon
# cache, menu) are updated by the triggers of Debian's own packages, or by hand.
include(GNUInstallDirs)
# Named after the package, not the CMake project (Qt's packages include GNUInstallDirs
# before us, so CMAKE_INSTALL_DOCDIR is already fixed to doc/Tervik).
set(TERVIK_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/tervik)

set(TERVIK_APP_ID "org.example.tervik" CACHE STRING
    "AppStream component id (reverse domain name)")
set(TERVIK_HOMEPAGE_URL "https://example.org/tervik" CACHE STRING
    "Project home page, for AppStream and the package")
set(TERVIK_SCREENSHOT_BASE_URL "https://example.org/tervik/raw/HEAD/data/screenshots" CACHE STRING
    "Where the files of data/screenshots/ are published")
set(TERVIK_MAINTAINER "Tervik developers <tervik@example.org>" CACHE STRING
    "Maintainer of the Debian package")
option(TERVIK_DEBIAN_PACKAGE "Install the files a Debian package needs in its doc folder" OFF)
# The date of this version; changes together with the project version.
set(TERVIK_RELEASE_DATE "2026-12-07")

set(TERVIK_DATA_DIR ${CMAKE_BINARY_DIR}/data)
set(TERVIK_DATA_FILES)

# Manual pages: the version filled in, compressed as Debian wants them (man reads both).
set(VERSION ${PROJECT_VERSION})
foreach(page tervik tervik-cli)
  configure_file(data/man/${page}.1 ${TERVIK_DATA_DIR}/man/${page}.1 @ONLY)
  add_custom_command(OUTPUT ${TERVIK_DATA_DIR}/man/${page}.1.gz
    COMMAND gzip -9n -c ${page}.1 > ${page}.1.gz
    WORKING_DIRECTORY ${TERVIK_DATA_DIR}/man
    DEPENDS ${TERVIK_DATA_DIR}/man/${page}.1
    VERBATIM)
  list(APPEND TERVIK_DATA_FILES ${TERVIK_DATA_DIR}/man/${page}.1.gz)
endforeach()
install(FILES ${TERVIK_DATA_DIR}/man/tervik-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(TARGETS tervik-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Add-ons include <addon/tervik_addon.h>, so an installed header needs no -I.
install(FILES include/addon/tervik_addon.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/addon)
install(FILES examples/addons/README examples/addons/stats.c examples/addons/marked.c
        DESTINATION ${TERVIK_INSTALL_DOCDIR}/examples/addons)
install(FILES data/completion/tervik-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME tervik-cli)

if(TERVIK_BUILD_UI)
  install(TARGETS tervik RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${TERVIK_DATA_DIR}/man/tervik.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES data/tervik.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES data/tervik-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
          RENAME tervik.xml)
  configure_file(data/tervik.metainfo.xml.in ${TERVIK_DATA_DIR}/${TERVIK_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${TERVIK_DATA_DIR}/${TERVIK_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  # The window's icon, as SVG and rendered for the hicolor sizes.
  set(TERVIK_ICON_SIZES 16 22 24 32 48 64 128 256)
  add_executable(tervik-render-icon tools/RenderIcon.cpp)
  target_link_libraries(tervik-render-icon PRIVATE Qt6::Gui Qt6::Svg)
  tervik_own_target(tervik-render-icon)
  set(_pngs)
  foreach(size IN LISTS TERVIK_ICON_SIZES)
    list(APPEND _pngs ${TERVIK_DATA_DIR}/icons/${size}x${size}/apps/tervik.png)
    install(FILES ${TERVIK_DATA_DIR}/icons/${size}x${size}/apps/tervik.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_command(OUTPUT ${_pngs}
    COMMAND tervik-render-icon ${PROJECT_SOURCE_DIR}/res/icons/tervik.svg
            ${TERVIK_DATA_DIR}/icons ${TERVIK_ICON_SIZES}
    DEPENDS tervik-render-icon ${PROJECT_SOURCE_DIR}/res/icons/tervik.svg
    VERBATIM)
  list(APPEND TERVIK_DATA_FILES ${_pngs})
  install(FILES res/icons/tervik.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

if(TERVIK_DEBIAN_PACKAGE)
  string(TIMESTAMP _now "%a, %d %b %Y %H:%M:%S +0000" UTC)
  configure_file(data/debian/changelog.in ${TERVIK_DATA_DIR}/debian/changelog @ONLY)
  add_custom_command(OUTPUT ${TERVIK_DATA_DIR}/debian/changelog.gz
    COMMAND gzip -9n -c changelog > changelog.gz
    WORKING_DIRECTORY ${TERVIK_DATA_DIR}/debian
    DEPENDS ${TERVIK_DATA_DIR}/debian/changelog
    VERBATIM)
  list(APPEND TERVIK_DATA_FILES ${TERVIK_DATA_DIR}/debian/changelog.gz)
  install(FILES ${TERVIK_DATA_DIR}/debian/changelog.gz data/debian/copyright
          DESTINATION ${TERVIK_INSTALL_DOCDIR})
endif()

add_custom_target(tervik_data ALL DEPENDS ${TERVIK_DATA_FILES})

# --- Debian package: scripts/package.sh ---
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tervik)
set(CPACK_PACKAGE_VENDOR "Tervik")
set(CPACK_PACKAGE_CONTACT "${TERVIK_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "read-only viewer for log and record files of any size")
# CPack puts the summary first and indents the rest; an empty line becomes " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tervik (Orv's File-Viewer) shows growing log files, program sources and
fixed-length record files of any size without loading them, as text, hex or
dump, in several character sets. It searches, selects lines in three colours,
exports and prints them, records selection scripts and saves workspaces.
The user interface is German.

tervik-cli runs the same engine without a window, for scripts and servers.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TERVIK_HOMEPAGE_URL}")
# Dependencies from the binaries (dpkg-shlibdeps); the German standard dialogs and a
# font come from packages no binary links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
