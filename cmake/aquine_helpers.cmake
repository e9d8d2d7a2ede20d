# Build settings every target shares: warnings, sanitizers, and where programs and tests land.

add_library(aquine_warnings INTERFACE)
target_compile_options(aquine_warnings INTERFACE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
if(AQUINE_SANITIZE)
    target_compile_options(aquine_warnings INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                     -fno-sanitize-recover=undefined)
    target_link_options(aquine_warnings INTERFACE -fsanitize=address,undefined)
endif()

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
    target_link_libraries(${T_NAME} PRIVATE aquine_warnings ${T_LIBS})
    target_compile_definitions(${T_NAME} PRIVATE ${T_DEFINES})
    if(NOT T_LABEL STREQUAL "widget")
        target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main GTest::gmock)
        add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    else()
        target_link_libraries(${T_NAME} PRIVATE Qt6::Test)
        add_test(NAME ${T_NAME} COMMAND ${T_NAME})
        set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
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
