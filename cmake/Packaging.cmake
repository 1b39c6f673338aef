# What a Debian package of Harbourlight installs, and how cpack makes it:
#   cmake --build build/release && (cd build/release && cpack -G DEB)
# or straight into a prefix:  cmake --install build/release --prefix ~/.local
# Both programs (hlmap finds hlmap-draw beside it), the desktop file and its icon, hlmap's
# manual pages and its bash completion, both made from its command table at build time.
include(GNUInstallDirs)

# Where src/ has hlmap-docs write them.
set(HL_DOCS_DIR ${CMAKE_BINARY_DIR}/hlmap-docs)

install(TARGETS harbourlight hlmap hlmap-draw RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/harbourlight.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The icon in every size src/ has hlicon draw (HL_ICON_DIR, HL_ICON_SIZES).
foreach(side IN LISTS HL_ICON_SIZES)
  install(FILES ${HL_ICON_DIR}/${side}x${side}/harbourlight.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${side}x${side}/apps)
endforeach()
install(DIRECTORY ${HL_DOCS_DIR}/man1 DESTINATION ${CMAKE_INSTALL_MANDIR})
install(FILES ${HL_DOCS_DIR}/hlmap
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

set(CPACK_PACKAGE_NAME harbourlight)
set(CPACK_PACKAGE_VENDOR Harbourlight)
set(CPACK_PACKAGE_CONTACT "Harbourlight developers <harbourlight@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tile map editor for a two-dimensional role-playing game")
set(CPACK_PACKAGE_DESCRIPTION
    "Harbourlight edits the tile maps of a two-dimensional online role-playing game: big and "
    "small tiles with automatic edges, objects and object sets, lights, doors and marks, and "
    "segment projects of any size. The command-line tool hlmap does the same from scripts: "
    "renders, diffs and checks maps, and exchanges them with the Tiled map editor.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY harbourlight)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the programs link, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "tiled")
set(CPACK_STRIP_FILES ON)
include(CPack)
