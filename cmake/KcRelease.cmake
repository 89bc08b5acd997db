# SPDX-License-Identifier: GPL-3.0-or-later
# The release's facts that come from CHANGELOG.md: its newest version must be the project's
# version, its date becomes KC_RELEASE_DATE (for the AppStream release and the manual pages), and
# the whole file becomes the Debian package's changelog.gz, installed with the machine-readable
# copyright file.
include(GNUInstallDirs)

set(KC_MAINTAINER
    "Kaiser Crossover maintainers <maintainers@users.noreply.c-seed-ea4982d6.example>")
set(KC_DOC_DIR "${CMAKE_INSTALL_DATADIR}/doc/kaiser-crossover")

# Appends one changelog item to `text` as a "  * " entry wrapped at 78 columns.
function(kc_append_debian_item text item)
    string(REPLACE " " ";" words "${item}")
    set(result "${${text}}")
    set(row "  *")
    foreach(word IN LISTS words)
        string(LENGTH "${row} ${word}" width)
        if(width GREATER 78)
            string(APPEND result "${row}\n")
            set(row "   ")
        endif()
        string(APPEND row " ${word}")
    endforeach()
    set(${text} "${result}${row}\n" PARENT_SCOPE)
endfunction()

# The closing line of an entry dated YYYY-MM-DD (RFC 2822 time, as Debian changelogs have it),
# the `index`-th from the newest (0). Entries of one day are a minute apart from 12:59 down, the
# newest latest, so that every entry is later than the one before it, as lintian wants.
function(kc_debian_trailer text date index)
    math(EXPR minute "59 - ${index}")
    if(minute LESS 0)
        set(minute 0)
    endif()
    execute_process(COMMAND date -u -R -d "${date} 12:${minute}" OUTPUT_VARIABLE stamp
                    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    set(${text} "${${text}}\n -- ${KC_MAINTAINER}  ${stamp}\n" PARENT_SCOPE)
endfunction()

set(kc_changelog "${PROJECT_SOURCE_DIR}/CHANGELOG.md")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${kc_changelog}")
# Semicolons would split CMake's lists; they travel as a placeholder until the file is written.
file(READ "${kc_changelog}" kc_text)
string(REPLACE ";" "<semicolon>" kc_text "${kc_text}")
string(REPLACE "\n" ";" kc_lines "${kc_text}")

set(kc_debian "")
set(kc_item "")
set(kc_date "")
set(kc_entries 0)  # entries closed so far
foreach(line IN LISTS kc_lines)
    if(line MATCHES "^## ([0-9]+\\.[0-9]+\\.[0-9]+) \\(([0-9]+-[0-9]+-[0-9]+)\\)$")
        if(kc_item)
            kc_append_debian_item(kc_debian "${kc_item}")
            set(kc_item "")
        endif()
        if(kc_date)
            kc_debian_trailer(kc_debian "${kc_date}" ${kc_entries})
            math(EXPR kc_entries "${kc_entries} + 1")
            string(APPEND kc_debian "\n")
        else()
            set(kc_newest_version "${CMAKE_MATCH_1}")
            set(KC_RELEASE_DATE "${CMAKE_MATCH_2}")
        endif()
        set(kc_date "${CMAKE_MATCH_2}")
        string(APPEND kc_debian "kaiser-crossover (${CMAKE_MATCH_1}) unstable; urgency=medium\n\n")
    elseif(kc_date AND line MATCHES "^- (.*)$")
        if(kc_item)
            kc_append_debian_item(kc_debian "${kc_item}")
        endif()
        set(kc_item "${CMAKE_MATCH_1}")
    elseif(kc_item AND line MATCHES "^  +(.*)$")
        string(APPEND kc_item " ${CMAKE_MATCH_1}")
    endif()
endforeach()
if(kc_item)
    kc_append_debian_item(kc_debian "${kc_item}")
endif()
if(NOT kc_date)
    message(FATAL_ERROR "CHANGELOG.md holds no '## VERSION (YYYY-MM-DD)' entry")
endif()
kc_debian_trailer(kc_debian "${kc_date}" ${kc_entries})
if(NOT kc_newest_version STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "CHANGELOG.md's newest version ${kc_newest_version} is not the project's "
                        "version ${PROJECT_VERSION}: add its entry first")
endif()

set(kc_doc_build "${PROJECT_BINARY_DIR}/doc")
string(REPLACE "<semicolon>" ";" kc_debian "${kc_debian}")
file(WRITE "${kc_doc_build}/changelog" "${kc_debian}")
execute_process(COMMAND gzip -9nc INPUT_FILE "${kc_doc_build}/changelog"
                OUTPUT_FILE "${kc_doc_build}/changelog.gz" COMMAND_ERROR_IS_FATAL ANY)
configure_file("${PROJECT_SOURCE_DIR}/dist/copyright.in" "${kc_doc_build}/copyright" @ONLY)
install(FILES "${kc_doc_build}/changelog.gz" "${kc_doc_build}/copyright"
        DESTINATION "${KC_DOC_DIR}")
