# Runs PROGRAM with no display named and checks that it fails with one line about the display.
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
            --unset=QT_QPA_PLATFORM ${PROGRAM}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output
    TIMEOUT 30)
if(result EQUAL 0)
    message(FATAL_ERROR "exit code 0 without a display; output: ${output}")
endif()
string(STRIP "${output}" stripped)
if(NOT stripped MATCHES "^[^\n]*graphical display is needed[^\n]*$")
    message(FATAL_ERROR "expected one line about the display, got: ${output}")
endif()
