# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package into the build tree with cpack and checks with dpkg-deb that it holds
# both programs (executable), the icons, the desktop entry, the design files' MIME type, the
# AppStream metadata, the manual pages, the bash completion, the copyright and the changelog.
# Skipped where dpkg-deb is not installed. The library dependencies are left
# out here (no dpkg-shlibdeps needed): this checks the file list only.
# -DBUILD_DIR=<build tree> -DCPACK=<cpack>
find_program(DPKG_DEB dpkg-deb)
if(NOT DPKG_DEB)
    message("SKIPPED: dpkg-deb is not installed")
    return()
endif()

set(out "${BUILD_DIR}/package-test")
file(REMOVE_RECURSE "${out}")
execute_process(
    COMMAND "${CPACK}" -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${out}"
            -D CPACK_DEBIAN_PACKAGE_SHLIBDEPS=OFF -D CPACK_STRIP_FILES=OFF
    RESULT_VARIABLE result OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cpack failed (${result}):\n${log}")
endif()
file(GLOB packages "${out}/*.deb")
list(LENGTH packages count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one .deb in ${out}, found ${count}")
endif()

execute_process(COMMAND "${DPKG_DEB}" -c "${packages}"
    RESULT_VARIABLE result OUTPUT_VARIABLE listing ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "dpkg-deb -c failed: ${errors}")
endif()

set(expected
    "-rwxr-xr-x [^\n]* ./usr/bin/kaiser-crossover\n"
    "-rwxr-xr-x [^\n]* ./usr/bin/kaiser-crossover-cli\n"
    " ./usr/share/applications/org.kaisercrossover.KaiserCrossover.desktop\n"
    " ./usr/share/mime/packages/kaiser-crossover.xml\n"
    " ./usr/share/metainfo/org.kaisercrossover.KaiserCrossover.metainfo.xml\n"
    " ./usr/share/icons/hicolor/scalable/apps/kaiser-crossover.svg\n"
    " ./usr/share/man/man1/kaiser-crossover.1.gz\n"
    " ./usr/share/man/man1/kaiser-crossover-cli.1.gz\n"
    " ./usr/share/bash-completion/completions/kaiser-crossover-cli\n"
    " ./usr/share/doc/kaiser-crossover/copyright\n"
    " ./usr/share/doc/kaiser-crossover/changelog.gz\n")
foreach(size 32 48 64 128 256)
    list(APPEND expected " ./usr/share/icons/hicolor/${size}x${size}/apps/kaiser-crossover.png\n")
endforeach()
set(missing "")
foreach(pattern IN LISTS expected)
    if(NOT "${listing}" MATCHES "${pattern}")
        string(APPEND missing "  ${pattern}")
    endif()
endforeach()
if(missing)
    message(FATAL_ERROR "the package lacks:\n${missing}\nit holds:\n${listing}")
endif()
message("package holds every expected file:\n${listing}")
