# GoogleTest from Debian's googletest package, which ships its sources: both trees build it.
set(BB7_GOOGLETEST_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
if(WIN32)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${BB7_GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)

# Each tree's tests carry its name in front ("native." or "win32.") and its label. Windows
# programs run under Wine through the generated wrapper (ProjectOptions.cmake), which uses
# the build folder's own Wine prefix and virtual display; scripts get it as their first
# argument, "-" when the programs run directly.
if(CMAKE_CROSSCOMPILING)
    set(BB7_TEST_TREE win32)
    set(BB7_TEST_RUNNER ${CMAKE_CROSSCOMPILING_EMULATOR})
else()
    set(BB7_TEST_TREE native)
    set(BB7_TEST_RUNNER -)
endif()

# bb7_add_script_test(name SCRIPT file ARGS ... LABELS ...): runs SCRIPT RUNNER ARGS...
function(bb7_add_script_test name)
    cmake_parse_arguments(ARG "" "SCRIPT" "ARGS;LABELS" ${ARGN})
    add_test(NAME ${BB7_TEST_TREE}.${name} COMMAND ${ARG_SCRIPT} ${BB7_TEST_RUNNER} ${ARG_ARGS})
    set_tests_properties(${BB7_TEST_TREE}.${name} PROPERTIES LABELS "${BB7_TEST_TREE};${ARG_LABELS}" TIMEOUT 300)
endfunction()

# bb7_add_program_test(name COMMAND program args... LABELS ...): a test program of this tree.
function(bb7_add_program_test name)
    cmake_parse_arguments(ARG "" "" "COMMAND;LABELS" ${ARGN})
    add_test(NAME ${BB7_TEST_TREE}.${name} COMMAND ${ARG_COMMAND})
    set_tests_properties(${BB7_TEST_TREE}.${name} PROPERTIES LABELS "${BB7_TEST_TREE};${ARG_LABELS}" TIMEOUT 300)
endfunction()

# bb7_add_gtest(name SOURCES ... LIBS ...)
# Natively every test case is its own ctest test. Under Wine one process start costs far
# more, so a Windows test executable is one ctest test that runs all its cases.
function(bb7_add_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS;LOCKS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
    bb7_set_warnings(${name})
    if(CMAKE_CROSSCOMPILING)
        bb7_add_program_test(${name} COMMAND ${name} --gtest_color=no LABELS ${ARG_LABELS})
        if(ARG_LOCKS)
            set_tests_properties(win32.${name} PROPERTIES RESOURCE_LOCK "${ARG_LOCKS}")
        endif()
    else()
        gtest_discover_tests(${name} TEST_PREFIX native. PROPERTIES LABELS "native;${ARG_LABELS}"
                             DISCOVERY_TIMEOUT 30)
    endif()
endfunction()
