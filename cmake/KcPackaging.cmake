# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package of Kaiser Crossover: `cpack -G DEB` in a build tree whose programs are built.
# It holds what `cmake --install` puts under /usr: both programs, the icons, the desktop entry,
# the MIME type of design files and the AppStream metadata.
set(CPACK_PACKAGE_NAME "kaiser-crossover")
set(CPACK_PACKAGE_VENDOR "Kaiser Crossover maintainers")
set(CPACK_PACKAGE_CONTACT "${KC_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "A desktop tool that designs a three-way linear-phase FIR loudspeaker crossover\n"
    "with the Kaiser window at 44 100 Hz and draws the magnitude responses of the\n"
    "three filters and of their sum, with a filter length estimate beside it.\n"
    "kaiser-crossover-cli runs the same calculation headless and exports the\n"
    "coefficients (CSV or one WAV per band), the response (CSV) and the graph (PNG).")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "sound")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# The shared libraries come from dpkg-shlibdeps (dpkg-dev); Qt's X11 platform plugin comes with
# libqt6gui6. What no library names is declared here: the Japanese Gothic face that the window's
# captions fall back to.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
