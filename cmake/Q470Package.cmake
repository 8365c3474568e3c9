# The Debian package q470-manager, made by CPack from the install rules: `cpack -G DEB` in the build
# folder (scripts/package) writes q470-manager_<version>_<arch>.deb there.

set(Q470_PACKAGE_MAINTAINER "Q470 Manager developers <q470-manager@brevint.example>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME q470-manager)
set(CPACK_PACKAGE_VENDOR Brevint)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}")
set(CPACK_PACKAGE_CONTACT "${Q470_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}")
# No debugging symbols in the installed programs.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${Q470_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries the programs link are found by dpkg-shlibdeps. What they load at run time is not:
# Qt's own Korean texts (the buttons of the standard dialogs) and a font with Hangul for the window.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-nanum | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "configure Q470R and KELDAN wireless serial modems
Q470 Manager configures the Q470R and KELDAN-KS410 / KELDAN-KS400 wireless
serial modems over a serial port, in their AT command dialect: it identifies
the modem, reads its identity and settings, writes general and GPIO
settings, restarts the modem or restores its factory settings, and saves and
applies whole configurations as JSON files.
.
The package holds the window (q470-manager), the command-line tool for
scripts and production lines (q470ctl) and a simulated modem on a
pseudo-terminal (q470-sim), with which everything can be tried without
hardware.")

include(CPack)
