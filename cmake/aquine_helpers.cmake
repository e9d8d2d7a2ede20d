# Build settings every target shares: warnings, sanitizers, and where programs and tests land.

add_library(aquine_warnings INTERFACE)
target_compile_options(aquine_warnings INTERFACE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
if(AQUINE_SANITIZE)
    target_compile_options(aquine_warnings INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                     -fno-sanitize-recover=undefined)
    target_link_options(aquine_warnings INTERFACE -fsanitize=address,undefined)
endif()
# libFuzzer: everything gets coverage and the sanitizers, so that the fuzzer sees into the libraries.
if(AQUINE_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "AQUINE_FUZZ needs clang (libFuzzer): configure with -DCMAKE_CXX_COMPILER=clang++")
    endif()
    target_compile_options(aquine_warnings INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                                     -fno-omit-frame-pointer)
    target_link_options(aquine_warnings INTERFACE -fsanitize=address,undefined)
endif()

# What every test program shares: headers are named from the source root, as everywhere else, which
# also reaches the shared test helpers (common/tests/gbk_literal.h, common/qt/tests/when_modal.h ...).
add_library(aquine_test_support INTERFACE)
target_include_directories(aquine_test_support INTERFACE ${PROJECT_SOURCE_DIR})
target_link_libraries(aquine_test_support INTERFACE aquine_warnings)

# A core library: the logic, free of Qt and X11. aquine_check_layers() proves it from the link lines.
function(aquine_core_library target)
    set_property(GLOBAL APPEND PROPERTY AQUINE_CORE_TARGETS ${target})
endfunction()

# Collects everything a target links, directly or through other targets of this build.
function(_aquine_link_closure target out)
    set(seen ${${out}})
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
        get_target_property(libs ${target} ${property})
        if(NOT libs)
            continue()
        endif()
        foreach(lib IN LISTS libs)
            string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" lib "${lib}")
            if(lib IN_LIST seen)
                continue()
            endif()
            list(APPEND seen ${lib})
            if(TARGET ${lib})
                _aquine_link_closure(${lib} seen)
            endif()
        endforeach()
    endforeach()
    set(${out} ${seen} PARENT_SCOPE)
endfunction()

# Fails the configuration when a core library links Qt or X11, however indirectly.
function(aquine_check_layers)
    get_property(cores GLOBAL PROPERTY AQUINE_CORE_TARGETS)
    foreach(core IN LISTS cores)
        set(closure "")
        _aquine_link_closure(${core} closure)
        foreach(lib IN LISTS closure)
            if(lib MATCHES "^(Qt[0-9]*::|QScintilla|X11|PkgConfig::X11)" OR lib MATCHES "(^|/)lib(Qt6|X11|Xtst|Xi)[^/]*$")
                message(FATAL_ERROR "The core library ${core} links ${lib}: core code stays free of Qt and X11.")
            endif()
        endforeach()
    endforeach()
    list(LENGTH cores count)
    message(STATUS "Layers: ${count} core libraries link neither Qt nor X11")
endfunction()

# A program of the suite: it lands in bin/ beside everything it reads.
function(aquine_program target)
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${AQUINE_BIN_DIR})
    target_link_libraries(${target} PRIVATE aquine_warnings)
endfunction()

# aquine_test(NAME name LABEL unit|widget|server SOURCES ... LIBS ... DEFINES ...)
# Unit and server tests are GoogleTest programs; widget tests are Qt Test programs run on the offscreen
# platform.
function(aquine_test)
    cmake_parse_arguments(T "" "NAME;LABEL" "SOURCES;LIBS;DEFINES" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${AQUINE_TEST_BIN_DIR})
    target_link_libraries(${T_NAME} PRIVATE aquine_test_support ${T_LIBS})
    target_compile_definitions(${T_NAME} PRIVATE ${T_DEFINES})
    if(NOT T_LABEL STREQUAL "widget")
        target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main GTest::gmock)
        add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    else()
        target_link_libraries(${T_NAME} PRIVATE Qt6::Test)
        add_test(NAME ${T_NAME} COMMAND ${T_NAME})
        set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT
            "QT_QPA_PLATFORM=offscreen;AQUINE_ARTEFACTS=${CMAKE_BINARY_DIR}/artefacts")
    endif()
    set_tests_properties(${T_NAME} PROPERTIES LABELS ${T_LABEL} TIMEOUT 300)
endfunction()

# aquine_system_test(NAME name COMMAND ... [ENV VAR=value ...]): runs under its own Xvfb server through
# tests/system/with_x.sh.
function(aquine_system_test)
    cmake_parse_arguments(T "" "NAME" "COMMAND;ENV" ${ARGN})
    add_test(NAME ${T_NAME} COMMAND ${PROJECT_SOURCE_DIR}/tests/system/with_x.sh ${T_COMMAND})
    set_tests_properties(${T_NAME} PROPERTIES LABELS system TIMEOUT 300
        ENVIRONMENT "AQUINE_BIN=${AQUINE_BIN_DIR};AQUINE_ARTEFACTS=${CMAKE_BINARY_DIR}/artefacts;${T_ENV}")
endfunction()

# aquine_wayland_test(NAME name COMMAND ... [ENV VAR=value ...]): runs under its own headless sway
# through tests/system/with_sway.sh (WITH_SWAY_XWAYLAND=1 in ENV adds XWayland).
function(aquine_wayland_test)
    cmake_parse_arguments(T "" "NAME" "COMMAND;ENV" ${ARGN})
    add_test(NAME ${T_NAME} COMMAND ${PROJECT_SOURCE_DIR}/tests/system/with_sway.sh ${T_COMMAND})
    set_tests_properties(${T_NAME} PROPERTIES LABELS system TIMEOUT 300
        ENVIRONMENT "AQUINE_BIN=${AQUINE_BIN_DIR};AQUINE_ARTEFACTS=${CMAKE_BINARY_DIR}/artefacts;${T_ENV}")
endfunction()
