# SPDX-License-Identifier: GPL-3.0-or-later
# Every text of the added windows has a finished Japanese translation: lupdate reads the sources
# into a copy of the committed .ts (a text new in the code arrives there unfinished), and any
# unfinished or empty translation fails the test, naming the text.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
get_filename_component(ts_name "${TS_FILE}" NAME)
set(copy "${WORK_DIR}/${ts_name}")
file(COPY_FILE "${TS_FILE}" "${copy}")
execute_process(
    COMMAND "${LUPDATE}" -silent -no-obsolete -locations none -extensions cpp,h "${SOURCE_DIR}"
            -ts "${copy}"
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "lupdate failed (${status}): ${output}")
endif()
file(READ "${copy}" ts)
string(REGEX MATCHALL "<source>[^<]*</source>[ \n]*<translation( type=\"unfinished\")?>[^<]*</translation>"
       messages "${ts}")
set(untranslated "")
foreach(message IN LISTS messages)
    if(message MATCHES "type=\"unfinished\"" OR message MATCHES "<translation></translation>")
        string(REGEX REPLACE "^<source>([^<]*)</source>.*" "\\1" source "${message}")
        string(APPEND untranslated "\n  ${source}")
    endif()
endforeach()
list(LENGTH messages count)
if(count EQUAL 0)
    message(FATAL_ERROR "no texts found in ${copy}")
endif()
if(NOT untranslated STREQUAL "")
    message(FATAL_ERROR "texts without a finished Japanese translation in ${ts_name} (run the "
                        "update_translations target and translate them there):${untranslated}")
endif()
message(STATUS "${count} texts, every one translated")
