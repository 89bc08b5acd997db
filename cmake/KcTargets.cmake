# SPDX-License-Identifier: GPL-3.0-or-later
# Warnings for every target of the project; -Werror where KC_WARNINGS_AS_ERRORS is on (CI).
function(kc_set_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
        -Wcast-align -Wnull-dereference -Wimplicit-fallthrough)
    # GCC warns only of float to double; clang would also flag every deliberate double to
    # long double widening of the extended-precision arithmetic.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        target_compile_options(${target} PRIVATE -Wdouble-promotion)
    endif()
    if(KC_WARNINGS_AS_ERRORS)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# Gives `target` an include root of its own that holds the headers of one source folder, and only
# those: build/include/<target>/<prefix>/<header> links to <folder>/<header> (the folder's
# subfolders are other targets). `#include "<prefix>/x.h"` therefore compiles only in targets that
# link `target` (or, for PRIVATE, in `target` itself); an include of a library that a target does
# not declare fails with "No such file or directory".
function(kc_add_header_root target scope folder prefix)
    set(root "${PROJECT_BINARY_DIR}/include/${target}")
    file(REMOVE_RECURSE "${root}")  # links of headers removed since the last configure
    file(MAKE_DIRECTORY "${root}/${prefix}")
    file(GLOB headers CONFIGURE_DEPENDS "${folder}/*.h")
    foreach(header IN LISTS headers)
        get_filename_component(name "${header}" NAME)
        file(CREATE_LINK "${header}" "${root}/${prefix}/${name}" SYMBOLIC)
    endforeach()
    target_include_directories(${target} ${scope} "${root}")
endfunction()

# A static library of the project: kc_<name>, alias kc::<name>, built from the current source
# folder, whose headers are included as "<folder below src>/x.h". PUBLIC lists what its headers
# include (users get it too), PRIVATE what only its sources include.
function(kc_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
    add_library(kc_${name} STATIC ${ARG_SOURCES})
    add_library(kc::${name} ALIAS kc_${name})
    file(RELATIVE_PATH prefix "${PROJECT_SOURCE_DIR}/src" "${CMAKE_CURRENT_SOURCE_DIR}")
    kc_add_header_root(kc_${name} PUBLIC "${CMAKE_CURRENT_SOURCE_DIR}" "${prefix}")
    target_compile_features(kc_${name} PUBLIC cxx_std_20)
    if(ARG_PUBLIC)
        target_link_libraries(kc_${name} PUBLIC ${ARG_PUBLIC})
    endif()
    if(ARG_PRIVATE)
        target_link_libraries(kc_${name} PRIVATE ${ARG_PRIVATE})
    endif()
    kc_set_warnings(kc_${name})
endfunction()
