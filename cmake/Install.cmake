# What `cmake --install` puts in place, and the Debian package made of it
# (`make package`):
#   bin/quovil, bin/quovil-cli
#   share/applications/quovil.desktop        the menu entry, opens ".kif" files
#   share/metainfo/ru.korax.quovil.metainfo.xml
#   share/mime/packages/quovil.xml           ".kif" (by name and header), ".klf"
#   share/icons/hicolor/...                  the program's icon, the two file types'
#   share/man/man1/quovil-cli.1.gz
#   share/doc/quovil/LICENSE, copyright
include(GNUInstallDirs)

set(QUOVIL_DATA_DIR ${CMAKE_SOURCE_DIR}/data)
# The desktop entry's name is the icon's and the X11 window class's as well.
# The viewer takes a "share/applications/quovil.desktop" beside its own folder
# for an installed program and keeps its settings in the user's folder then
# (src/app/settings.cpp).
set(QUOVIL_DESKTOP_ID quovil)
set(QUOVIL_APPSTREAM_ID ru.korax.quovil)
set(QUOVIL_ICON_SIZES 16 32 48 64 128 256)
set(QUOVIL_ICONS_DIR ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

if(TARGET quovil)
  install(TARGETS quovil RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${QUOVIL_DATA_DIR}/${QUOVIL_DESKTOP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(${QUOVIL_DATA_DIR}/${QUOVIL_APPSTREAM_ID}.metainfo.xml.in
                 ${CMAKE_BINARY_DIR}/data/${QUOVIL_APPSTREAM_ID}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/data/${QUOVIL_APPSTREAM_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  # The window's own icon at the sizes of the hicolor theme, rendered from the
  # drawing the window uses.
  find_program(RSVG_CONVERT rsvg-convert)
  if(NOT RSVG_CONVERT)
    message(FATAL_ERROR "rsvg-convert not found: it renders the program's icons. Install librsvg2-bin "
                        "(scripts/install-deps.sh does).")
  endif()
  set(app_svg ${CMAKE_SOURCE_DIR}/src/app/icons/app.svg)
  set(pngs)
  foreach(size IN LISTS QUOVIL_ICON_SIZES)
    set(png ${CMAKE_BINARY_DIR}/data/icons/${size}/${QUOVIL_DESKTOP_ID}.png)
    add_custom_command(OUTPUT ${png}
                       COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${app_svg}
                       DEPENDS ${app_svg} VERBATIM)
    list(APPEND pngs ${png})
    install(FILES ${png} DESTINATION ${QUOVIL_ICONS_DIR}/${size}x${size}/apps)
  endforeach()
  add_custom_target(quovil_icons ALL DEPENDS ${pngs})
  install(FILES ${app_svg} DESTINATION ${QUOVIL_ICONS_DIR}/scalable/apps RENAME ${QUOVIL_DESKTOP_ID}.svg)
  install(FILES ${CMAKE_SOURCE_DIR}/src/app/icons/archive.svg
          DESTINATION ${QUOVIL_ICONS_DIR}/scalable/mimetypes RENAME application-x-quovil-archive.svg)
  install(FILES ${CMAKE_SOURCE_DIR}/src/app/icons/journal.svg
          DESTINATION ${QUOVIL_ICONS_DIR}/scalable/mimetypes RENAME application-x-quovil-journal.svg)
endif()

# The English translation, beside the one built into the programs.
if(QUOVIL_QM_FILES)
  install(FILES ${QUOVIL_QM_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/quovil/translations)
endif()

if(TARGET quovil-cli)
  install(TARGETS quovil-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Compressed without a name or time inside, so that equal pages give equal
  # packages.
  set(man_page ${CMAKE_BINARY_DIR}/data/quovil-cli.1)
  configure_file(${QUOVIL_DATA_DIR}/quovil-cli.1.in ${man_page} @ONLY)
  set(man_gz ${CMAKE_BINARY_DIR}/data/quovil-cli.1.gz)
  add_custom_command(OUTPUT ${man_gz}
                     COMMAND sh -c "gzip -9 -n -c \"$0\" > \"$1\"" ${man_page} ${man_gz}
                     DEPENDS ${man_page} VERBATIM)
  add_custom_target(quovil_man_page ALL DEPENDS ${man_gz})
  install(FILES ${man_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

install(FILES ${QUOVIL_DATA_DIR}/quovil-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME quovil.xml)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE ${QUOVIL_DATA_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quovil)

# The Debian package: `make package` (a release build of its own), or
# `cmake --build <dir> --target package` in any build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quovil)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for the memory cards of KORAX recorders")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(QUOVIL_PACKAGE_MAINTAINER "QUOVIL developers <quovil@korax.ru>" CACHE STRING
    "The Debian package's Maintainer field")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUOVIL_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The summary above is the description's first line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "QUOVIL reads the raw memory card of a KORAX recorder (two cameras, grey
pictures, 8-bit sound, sensor readings and GPS sentences on an SD card
without a file system). It finds the card by itself, plays both cameras with
their sound, saves marked fragments as archive files (.kif) and opens them,
exports AVI, BMP and GPX, prints pictures and shows the recorder's event
journal. quovil-cli does the same from the command line and prints JSON.")
# The libraries the programs link are found by dpkg-shlibdeps. The window's
# SVG icons are drawn by Qt's SVG plugins, which nothing links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, libqt6sql6-sqlite")
# Qt's own Russian texts (the standard buttons); the viewer runs without them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gpsd")
include(CPack)
