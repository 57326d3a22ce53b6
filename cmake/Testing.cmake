# GoogleTest from Debian's googletest package, which ships its sources: both trees build it.
set(BB7_GOOGLETEST_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
if(WIN32)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${BB7_GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)

# bb7_add_gtest(name SOURCES ... LIBS ...)
# Natively every test case is its own ctest test. Under Wine one process start costs far
# more, so a Windows test executable is one ctest test that runs all its cases.
function(bb7_add_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS;LOCKS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
    bb7_set_warnings(${name})
    if(CMAKE_CROSSCOMPILING)
        add_test(NAME win32.${name} COMMAND ${name} --gtest_color=no)
        set_tests_properties(win32.${name} PROPERTIES LABELS "win32;${ARG_LABELS}" TIMEOUT 300)
        if(ARG_LOCKS)
            set_tests_properties(win32.${name} PROPERTIES RESOURCE_LOCK "${ARG_LOCKS}")
        endif()
    else()
        gtest_discover_tests(${name} TEST_PREFIX native. PROPERTIES LABELS "native;${ARG_LABELS}"
                             DISCOVERY_TIMEOUT 30)
    endif()
endfunction()
