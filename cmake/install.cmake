# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later
# Installation and the Debian package.
#
#   cmake --install build --prefix P     the plain layout under any prefix P
#   scripts/build-package.sh             the Debian package (cpack, see there)
#
# Two layouts of the same files.  A plain prefix gets:
#   bin/novawing                           the launcher (a shell script)
#   lib/novawing/novawing                  the game itself
#   share/novawing/config.cfg, data/       the default settings and the images
# The Debian package lays them out as Debian lays out games, under /usr:
#   games/novawing                         the launcher
#   lib/games/novawing/novawing            the game itself
#   share/games/novawing/config.cfg, data/ the default settings and the images
# Both get the desktop entry, the icons, the AppStream metainfo and the
# manual page; the package adds its copyright, changelog and lintian notes.
#
# The game finds config.cfg and data/ in its working directory; the launcher
# gives every player a working directory of their own (see
# packaging/novawing.in).  It reaches the installed files by paths relative
# to its own place, so any prefix works, and so does a link to the launcher.
#
# The plain layout is the default component, which is all `cmake --install`
# installs; the package's layout is the component `deb`, left out of that and
# the only one cpack packs.
include(GNUInstallDirs)

set(NOVAWING_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)
set(NOVAWING_STAGE ${CMAKE_BINARY_DIR}/packaging)

# The manual page, and for the package also compressed as Debian wants it
# (-n: no name or time stamp in the header, so the bytes do not vary).
add_custom_command(
  OUTPUT ${NOVAWING_STAGE}/novawing.6.gz ${NOVAWING_STAGE}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${NOVAWING_STAGE}
  COMMAND sh -c "gzip -9n < '${NOVAWING_PACKAGING}/novawing.6' > '${NOVAWING_STAGE}/novawing.6.gz'"
  COMMAND sh -c "gzip -9n < '${NOVAWING_PACKAGING}/changelog' > '${NOVAWING_STAGE}/changelog.gz'"
  DEPENDS ${NOVAWING_PACKAGING}/novawing.6 ${NOVAWING_PACKAGING}/changelog
  VERBATIM)
add_custom_target(package_docs ALL
  DEPENDS ${NOVAWING_STAGE}/novawing.6.gz ${NOVAWING_STAGE}/changelog.gz)

# One layout: the launcher made for it and every file in its place.
function(novawing_layout component bin exe_dir data_dir)
  if(component STREQUAL "deb")
    set(part COMPONENT deb EXCLUDE_FROM_ALL)
  else()
    set(part COMPONENT game)
  endif()
  file(RELATIVE_PATH NOVAWING_BIN_TO_DATA /prefix/${bin} /prefix/${data_dir})
  file(RELATIVE_PATH NOVAWING_BIN_TO_EXE /prefix/${bin} /prefix/${exe_dir}/novawing)
  configure_file(${NOVAWING_PACKAGING}/novawing.in ${NOVAWING_STAGE}/${component}/novawing @ONLY)

  install(TARGETS novawing RUNTIME DESTINATION ${exe_dir} ${part})
  install(PROGRAMS ${NOVAWING_STAGE}/${component}/novawing DESTINATION ${bin} ${part})
  install(FILES ${CMAKE_SOURCE_DIR}/config.cfg DESTINATION ${data_dir} ${part})
  # The artwork target draws the images into the game directory at build time.
  install(DIRECTORY ${GAME_DIR}/data/ DESTINATION ${data_dir}/data ${part}
    FILES_MATCHING PATTERN "*.bmp")

  install(FILES ${NOVAWING_PACKAGING}/novawing.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications ${part})
  install(FILES ${NOVAWING_PACKAGING}/org.example.novawing.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo ${part})
  foreach(size 16 32 48 64 128 256)
    install(FILES ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps/novawing.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps ${part})
  endforeach()
endfunction()

novawing_layout(game ${CMAKE_INSTALL_BINDIR} lib/novawing ${CMAKE_INSTALL_DATADIR}/novawing)
install(FILES ${NOVAWING_PACKAGING}/novawing.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6
  COMPONENT game)

novawing_layout(deb games lib/games/novawing share/games/novawing)
install(FILES ${NOVAWING_STAGE}/novawing.6.gz DESTINATION share/man/man6
  COMPONENT deb EXCLUDE_FROM_ALL)
install(FILES ${NOVAWING_PACKAGING}/copyright ${NOVAWING_STAGE}/changelog.gz
  DESTINATION share/doc/novawing COMPONENT deb EXCLUDE_FROM_ALL)
install(FILES ${NOVAWING_PACKAGING}/lintian-overrides DESTINATION share/lintian/overrides
  RENAME novawing COMPONENT deb EXCLUDE_FROM_ALL)
# Debian's own strip leaves out the .comment and .note sections too; the
# package's copy of the game is stripped the same way.
install(CODE "
  if(CMAKE_INSTALL_COMPONENT STREQUAL \"deb\")
    execute_process(COMMAND ${CMAKE_STRIP} --remove-section=.comment --remove-section=.note
      --strip-unneeded \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/games/novawing/novawing\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()" COMPONENT deb EXCLUDE_FROM_ALL)

set(NOVAWING_MAINTAINER "Nova Wing developers <novawing@example.org>"
  CACHE STRING "Maintainer named in the Debian package")

set(CPACK_PACKAGE_NAME novawing)
set(CPACK_PACKAGE_VENDOR "Nova Wing developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two-player vertically scrolling space shoot-'em-up")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
# The package is the one component `deb`, installed as a whole project.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};deb;/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${NOVAWING_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The summary above is the first line; this is the long description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Nova Wing is a space shooter for one or two players at one keyboard: fly
over a scrolling starfield, fire twin guns and missiles, and destroy the
enemy ships that come down from the top of the screen.  Player 2 can join
at any time with the 2 key.  The game runs in an SDL window; started from
a terminal, the terminal shows a running trace of what the game is doing.")
# The run-time libraries, worked out by dpkg-shlibdeps from what the game
# links on the system that builds the package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
