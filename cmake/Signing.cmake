# Code signing of the Windows build: with BB7_SIGN_PKCS12 set, every program and library of
# the product is signed before it is packed into the payload, and Bb7Setup.exe after its
# payload is embedded (Authenticode, SHA-256, with osslsigncode). Without it nothing is signed.
set(BB7_SIGN_PKCS12 "" CACHE FILEPATH "PKCS#12 file with the code-signing certificate and its key (empty: no signing)")
set(BB7_SIGN_PASSWORD_FILE "" CACHE FILEPATH "File whose first line is the PKCS#12 file's password")
set(BB7_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server (empty: no time stamp, no network)")

set(BB7_SIGNING OFF)
if(WIN32 AND BB7_SIGN_PKCS12)
    find_program(BB7_OSSLSIGNCODE osslsigncode)
    if(NOT BB7_OSSLSIGNCODE)
        message(FATAL_ERROR "BB7_SIGN_PKCS12 is set but osslsigncode is missing: run scripts/setup-debian.sh")
    endif()
    foreach(file IN ITEMS ${BB7_SIGN_PKCS12} ${BB7_SIGN_PASSWORD_FILE})
        if(NOT EXISTS ${file})
            message(FATAL_ERROR "Signing: no file ${file}")
        endif()
    endforeach()
    if(NOT BB7_SIGN_PASSWORD_FILE)
        message(FATAL_ERROR "BB7_SIGN_PKCS12 needs BB7_SIGN_PASSWORD_FILE: the password is never given on a command line")
    endif()
    set(BB7_SIGNING ON)
    # What a signature depends on: a new certificate signs everything again.
    set(BB7_SIGN_INPUTS ${BB7_SIGN_PKCS12} ${BB7_SIGN_PASSWORD_FILE})
    # The arguments of cmake/SignFile.cmake, less the file.
    set(BB7_SIGN_DEFINES -DOSSLSIGNCODE=${BB7_OSSLSIGNCODE} -DPKCS12=${BB7_SIGN_PKCS12}
                         -DPASSWORD_FILE=${BB7_SIGN_PASSWORD_FILE} -DTIMESTAMP_URL=${BB7_SIGN_TIMESTAMP_URL})
    message(STATUS "Signing with ${BB7_SIGN_PKCS12}")
endif()

# bb7_sign_after_build(target): signs the target's file once it is linked.
function(bb7_sign_after_build target)
    if(NOT BB7_SIGNING)
        return()
    endif()
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} ${BB7_SIGN_DEFINES} -DFILE=$<TARGET_FILE:${target}>
                -P ${CMAKE_SOURCE_DIR}/cmake/SignFile.cmake
        COMMENT "Signing $<TARGET_FILE_NAME:${target}>"
        VERBATIM)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${BB7_SIGN_INPUTS})
endfunction()
