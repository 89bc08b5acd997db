# SPDX-License-Identifier: GPL-3.0-or-later
# The manual pages and the bash completion of both programs. The pages are installed gzipped
# under share/man/man1: the window's written by hand (dist/kaiser-crossover.1.in), the command
# line's made by help2man from the program's own help (dist/manual-help.sh) with the sections of
# dist/kaiser-crossover-cli.h2m, so that it lists every option the program takes. The date is the
# release's (CHANGELOG.md).
find_program(KC_HELP2MAN help2man REQUIRED)
find_program(KC_GZIP gzip REQUIRED)

set(kc_man_dir "${PROJECT_BINARY_DIR}/man")
execute_process(COMMAND date -u -d "${KC_RELEASE_DATE} 12:00" +%s OUTPUT_VARIABLE kc_release_epoch
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

configure_file("${PROJECT_SOURCE_DIR}/dist/kaiser-crossover.1.in" "${kc_man_dir}/kaiser-crossover.1"
               @ONLY)
add_custom_command(
    OUTPUT "${kc_man_dir}/kaiser-crossover-cli.1"
    COMMAND ${CMAKE_COMMAND} -E env "KC_CLI=$<TARGET_FILE:kaiser-crossover-cli>"
            QT_QPA_PLATFORM=offscreen "SOURCE_DATE_EPOCH=${kc_release_epoch}"
            ${KC_HELP2MAN} --no-info --no-discard-stderr
            --include "${PROJECT_SOURCE_DIR}/dist/kaiser-crossover-cli.h2m"
            --output "${kc_man_dir}/kaiser-crossover-cli.1"
            "${PROJECT_SOURCE_DIR}/dist/manual-help.sh"
    DEPENDS kaiser-crossover-cli "${PROJECT_SOURCE_DIR}/dist/manual-help.sh"
            "${PROJECT_SOURCE_DIR}/dist/kaiser-crossover-cli.h2m"
    COMMENT "Writing the manual page of kaiser-crossover-cli with help2man"
    VERBATIM)

set(kc_man_pages "")
foreach(page kaiser-crossover kaiser-crossover-cli)
    add_custom_command(
        OUTPUT "${kc_man_dir}/${page}.1.gz"
        COMMAND ${KC_GZIP} -9nc "${kc_man_dir}/${page}.1" > "${kc_man_dir}/${page}.1.gz"
        DEPENDS "${kc_man_dir}/${page}.1"
        VERBATIM)
    list(APPEND kc_man_pages "${kc_man_dir}/${page}.1.gz")
endforeach()
add_custom_target(manuals ALL DEPENDS ${kc_man_pages})
install(FILES ${kc_man_pages} DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")

# Bash completion, looked up by command name: one file serves both programs.
foreach(program kaiser-crossover kaiser-crossover-cli)
    install(FILES "${PROJECT_SOURCE_DIR}/dist/kaiser-crossover.bash-completion"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/bash-completion/completions" RENAME ${program})
endforeach()
