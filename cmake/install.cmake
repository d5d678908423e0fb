# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later
# Installation: `cmake --install BUILD [--prefix P]`.
#
# The plain layout (the default), under the GNUInstallDirs directories:
#   bin/novawing                           the launcher (a shell script)
#   lib/novawing/novawing                  the game itself
#   share/novawing/config.cfg, data/       the default settings and the images
# With -DNOVAWING_GAMES_LAYOUT=ON, the layout Debian gives games:
#   games/novawing                         the launcher
#   lib/games/novawing/novawing            the game itself
#   share/games/novawing/config.cfg, data/ the default settings and the images
# Both get the desktop entry, the icons, the AppStream metainfo and the
# manual page.  Nothing is stripped here: that is the packager's job (and
# debhelper keeps the symbols for the -dbgsym package).
#
# The game finds config.cfg and data/ in its working directory; the launcher
# gives every player a working directory of their own (see
# packaging/novawing.in).  It reaches the installed files by paths relative
# to its own place, so any prefix works, and so does a link to the launcher.
include(GNUInstallDirs)

option(NOVAWING_GAMES_LAYOUT
  "Install as Debian lays out games: /usr/games, /usr/lib/games/novawing, /usr/share/games/novawing" OFF)
if(NOVAWING_GAMES_LAYOUT)
  set(NOVAWING_INSTALL_BINDIR games)
  set(NOVAWING_INSTALL_EXEDIR lib/games/novawing)
  set(NOVAWING_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/games/novawing)
else()
  set(NOVAWING_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
  set(NOVAWING_INSTALL_EXEDIR lib/novawing)
  set(NOVAWING_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/novawing)
endif()

set(NOVAWING_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)
set(NOVAWING_STAGE ${CMAKE_BINARY_DIR}/packaging)

file(RELATIVE_PATH NOVAWING_BIN_TO_DATA /prefix/${NOVAWING_INSTALL_BINDIR}
  /prefix/${NOVAWING_INSTALL_DATADIR})
file(RELATIVE_PATH NOVAWING_BIN_TO_EXE /prefix/${NOVAWING_INSTALL_BINDIR}
  /prefix/${NOVAWING_INSTALL_EXEDIR}/novawing)
configure_file(${NOVAWING_PACKAGING}/novawing.in ${NOVAWING_STAGE}/novawing @ONLY)

install(TARGETS novawing RUNTIME DESTINATION ${NOVAWING_INSTALL_EXEDIR} COMPONENT game)
install(PROGRAMS ${NOVAWING_STAGE}/novawing DESTINATION ${NOVAWING_INSTALL_BINDIR}
  COMPONENT game)
install(FILES ${CMAKE_SOURCE_DIR}/config.cfg DESTINATION ${NOVAWING_INSTALL_DATADIR}
  COMPONENT game)
# The artwork target draws the images into the game directory at build time.
install(DIRECTORY ${GAME_DIR}/data/ DESTINATION ${NOVAWING_INSTALL_DATADIR}/data
  COMPONENT game FILES_MATCHING PATTERN "*.bmp")
install(FILES ${NOVAWING_PACKAGING}/novawing.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT game)
install(FILES ${NOVAWING_PACKAGING}/org.example.novawing.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT game)
foreach(size 16 32 48 64 128 256)
  install(FILES ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps/novawing.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps COMPONENT game)
endforeach()
install(FILES ${NOVAWING_PACKAGING}/novawing.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6
  COMPONENT game)
