# The Debian package `vorne`, made by CPack from what `cmake --install`
# installs (cmake/Install.cmake, packaging/), under /usr:
#   cmake --build --preset release --target package
# or `cpack` in the build folder; it writes vorne_VERSION_ARCH.deb there.
# The libraries it needs are found with dpkg-shlibdeps; the fonts the text is
# drawn with are needed too, the file dialog and the soundfont (for music
# played as MIDI) are recommended, and Qt's translations (the editor's
# dialogs in the desktop's language) suggested.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorne)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The VORNE developers")
set(CPACK_PACKAGE_CONTACT "${VORNE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "2D action game of walls, ladders, coins and keys, with its stage editor")
set(CPACK_PACKAGE_DESCRIPTION [=[
VORNE is a small 2D action game. Climb through a building of walls, ladders
and lock blocks in a scrolling view: collect every coin to open the exit
door, take keys to open the lock blocks of their kind, pick up the power
item to shoot at the enemies, and keep your three lives. Ten stages come
with it. It plays with the keyboard or a gamepad.

The package holds the game (vorne1.0), with a headless runner that plays
recorded input to prove a stage can be cleared, and the stage editor
(draskel1.0).]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/PackageStrip.cmake")
set(CPACK_VORNE_STRIP "${CMAKE_STRIP}")
set(CPACK_VORNE_PROGRAM_DIR "${VORNE_INSTALL_PROGRAM_DIR}")
if(NOT IS_ABSOLUTE "${CPACK_VORNE_PROGRAM_DIR}")
  set(CPACK_VORNE_PROGRAM_DIR "${CPACK_PACKAGING_INSTALL_PREFIX}/${CPACK_VORNE_PROGRAM_DIR}")
endif()
set(CPACK_THREADS 0)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VORNE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VORNE_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, fonts-ipafont-mincho")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "zenity | kdialog, timgm6mb-soundfont")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
