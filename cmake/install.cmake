# Installation and the Debian package.
#
#   cmake --install build --prefix P     P/bin/novawing starts the game by name
#   (cd build && cpack -G DEB)           novawing_<version>_<arch>.deb
#
# Layout under the prefix:
#   bin/novawing                the launcher (a shell script)
#   lib/novawing/novawing       the game itself
#   share/novawing/config.cfg   the video settings
#   share/novawing/data/*.bmp   the images, drawn at build time
# The game finds config.cfg and data/ in its working directory, so the
# launcher changes to share/novawing first.  It reaches both directories by
# paths relative to its own place, so any prefix works, and so does a link
# to the launcher.
include(GNUInstallDirs)

set(NOVAWING_EXE_DIR lib/novawing)
set(NOVAWING_DATA_DIR ${CMAKE_INSTALL_DATADIR}/novawing)

file(RELATIVE_PATH NOVAWING_BIN_TO_DATA
  /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${NOVAWING_DATA_DIR})
file(RELATIVE_PATH NOVAWING_BIN_TO_EXE
  /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${NOVAWING_EXE_DIR}/novawing)
configure_file(${CMAKE_SOURCE_DIR}/packaging/novawing.in ${CMAKE_BINARY_DIR}/packaging/novawing
  @ONLY)

install(TARGETS novawing RUNTIME DESTINATION ${NOVAWING_EXE_DIR})
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/novawing DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/config.cfg DESTINATION ${NOVAWING_DATA_DIR})
# The artwork target draws the images into the game directory at build time.
install(DIRECTORY ${GAME_DIR}/data/ DESTINATION ${NOVAWING_DATA_DIR}/data
  FILES_MATCHING PATTERN "*.bmp")

set(NOVAWING_MAINTAINER "Nova Wing developers <novawing@example.org>"
  CACHE STRING "Maintainer named in the Debian package")

set(CPACK_PACKAGE_NAME novawing)
set(CPACK_PACKAGE_VENDOR "Nova Wing developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two-player vertically scrolling space shoot-'em-up")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${NOVAWING_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The summary above is the first line; this is the long description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Nova Wing is a space shooter for one or two players at one keyboard: fly
over a scrolling starfield, fire twin guns and missiles, and destroy the
enemy ships that come down from the top of the screen.  Player 2 can join
at any time with the 2 key.  The game runs in an SDL window; the terminal
that starts it shows a running trace of what the game is doing.

Start it with: novawing")
# Run-time libraries the game links: SDL 1.2, ncurses with its terminfo
# library, and the C and C++ runtimes (the versions are those whose symbols
# it uses).
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libsdl1.2debian (>= 1.2.15), libncurses6 (>= 6), libtinfo6 (>= 6), libc6 (>= 2.34), libstdc++6 (>= 5), libgcc-s1 (>= 3.0)")
include(CPack)
