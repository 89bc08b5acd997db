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

# A static library of the project: kc_<name>, alias kc::<name>, headers included as "<dir>/x.h".
function(kc_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(kc_${name} STATIC ${ARG_SOURCES})
    add_library(kc::${name} ALIAS kc_${name})
    target_include_directories(kc_${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
    target_compile_features(kc_${name} PUBLIC cxx_std_20)
    target_link_libraries(kc_${name} PUBLIC ${ARG_DEPS})
    kc_set_warnings(kc_${name})
endfunction()
