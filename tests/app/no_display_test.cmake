# SPDX-License-Identifier: GPL-3.0-or-later
# Runs PROGRAM with no display named, or with DISPLAY set to UNREACHABLE_DISPLAY (a display that
# does not exist), and checks that it fails with exit code 1 and one line about the display.
set(environment --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM)
if(DEFINED UNREACHABLE_DISPLAY)
    list(APPEND environment DISPLAY=${UNREACHABLE_DISPLAY})
endif()
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env ${environment} ${PROGRAM}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output
    TIMEOUT 30)
if(NOT result EQUAL 1)
    message(FATAL_ERROR "exit code ${result} instead of 1; output: ${output}")
endif()
string(STRIP "${output}" stripped)
if(NOT stripped MATCHES "^kaiser-crossover: [^\n]*graphical display is needed[^\n]*$")
    message(FATAL_ERROR "expected one line about the display, got: ${output}")
endif()
if(DEFINED UNREACHABLE_DISPLAY AND NOT stripped MATCHES "DISPLAY=${UNREACHABLE_DISPLAY}")
    message(FATAL_ERROR "the line does not name the display: ${output}")
endif()
