# Installation (make install, make uninstall) and the Debian package (make package).
include(GNUInstallDirs)

# Installing and packaging take the program as built; they do not build the whole tree
# (tests and benchmarks) first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(KELPO_APP_ID app.kelpo.Kelpo)

# The manual page, compressed as Debian wants it; built with the program.
set(KELPO_MANPAGE ${CMAKE_BINARY_DIR}/kelpo.1.gz)
add_custom_command(OUTPUT ${KELPO_MANPAGE}
  COMMAND sh -c "gzip -9 -n -c '${CMAKE_SOURCE_DIR}/docs/kelpo.1' > '${KELPO_MANPAGE}'"
  DEPENDS ${CMAKE_SOURCE_DIR}/docs/kelpo.1 VERBATIM)
# The package's change log, the Debian way for a package of our own.
set(KELPO_CHANGELOG ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${KELPO_CHANGELOG}
  COMMAND sh -c "gzip -9 -n -c '${CMAKE_SOURCE_DIR}/docs/changelog' > '${KELPO_CHANGELOG}'"
  DEPENDS ${CMAKE_SOURCE_DIR}/docs/changelog VERBATIM)
add_custom_target(kelpo_docs DEPENDS ${KELPO_MANPAGE} ${KELPO_CHANGELOG})
add_dependencies(kelpo kelpo_docs)

install(TARGETS kelpo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The help pages: the program finds them in ../share/kelpo/tutorial from its bin folder.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/tutorial/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kelpo/tutorial)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/screenshots/
  DESTINATION ${CMAKE_INSTALL_DATADIR}/kelpo/tutorial/screenshots FILES_MATCHING PATTERN "*.png")
install(FILES ${CMAKE_SOURCE_DIR}/resources/${KELPO_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/${KELPO_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size IN ITEMS 16 24 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/kelpo-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME kelpo.png)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/kelpo.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${KELPO_MANPAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${KELPO_CHANGELOG} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kelpo)

# Removes what the last install put in place, as listed in its manifest.
add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -DMANIFEST=${CMAKE_BINARY_DIR}/install_manifest.txt
          -P ${CMAKE_SOURCE_DIR}/cmake/Uninstall.cmake)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelpo)
set(CPACK_PACKAGE_VENDOR "Kelpo developers")
set(CPACK_PACKAGE_CONTACT "Kelpo developers <developers@kelpo.app>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bookmarks with clip sets that type into web forms")
# Debian wants the long description in lines of under 80 characters.
set(CPACK_PACKAGE_DESCRIPTION [=[Kelpo keeps web bookmarks together with clip sets: the user names, passwords,
answers and key presses typed into a web site again and again. Clicking a name
opens the bookmark in the web browser and lists the clips in a small window;
clicking a clip types it into the focused field of the page, and Auto Insert
types a whole log-in.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://kelpo.app/")
# The library packages come from the libraries the program really links (dpkg-shlibdeps);
# the browser is started through xdg-utils.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
