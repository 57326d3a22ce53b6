# Compiler settings shared by every target of the project (not by third-party code).

function(bb7_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-unused-parameter)
endfunction()

if(WIN32)
    # One stand-alone executable: the C and C++ runtimes and winpthreads are linked in.
    add_link_options(-static -static-libgcc -static-libstdc++)
    # Static libraries only (libz.a rather than libz.dll.a); the platform files set the suffixes
    # after the toolchain file, so this has to come after project().
    set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
    set(ZLIB_USE_STATIC_LIBS ON)
    add_link_options($<$<CONFIG:Release>:-s>) # no symbols in the shipped executables
    # ANSI Win32 calls throughout; the program targets Windows XP and later.
    add_compile_definitions(_WIN32_WINNT=0x0501 WINVER=0x0501 _WIN32_IE=0x0600 WIN32_LEAN_AND_MEAN NOMINMAX)
endif()

if(CMAKE_CROSSCOMPILING)
    # Windows programs (tests, tools) run under Wine through a wrapper that knows this build
    # folder, so that each build folder uses its own Wine prefix and virtual display.
    get_filename_component(BB7_BUILD_ROOT ${CMAKE_BINARY_DIR} DIRECTORY)
    set(BB7_SOURCE_ROOT ${CMAKE_SOURCE_DIR})
    configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
endif()
