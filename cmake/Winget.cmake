# The winget manifest of the release: a version, an installer and a default-locale file
# (manifest version 1.6.0) in bin/winget, beside Bb7Setup.exe. They are written once the
# installer is built and, when the build signs, signed: InstallerSha256 is that of the file
# that is shipped. `winget install --manifest bin/winget` installs from them.
set(BB7_WINGET_INSTALLER_URL "https://example.com/BriselBackup7/Bb7Setup.exe" CACHE STRING
    "Where winget downloads this release's Bb7Setup.exe from (the default is a placeholder)")

# bb7_add_winget_manifest(installer_target): the target bb7_winget_manifest, built with all.
function(bb7_add_winget_manifest installer)
    if(NOT BB7_WINGET_INSTALLER_URL MATCHES "^[Hh][Tt][Tt][Pp][Ss]?://.+$")
        message(FATAL_ERROR "BB7_WINGET_INSTALLER_URL must be an http or https URL: ${BB7_WINGET_INSTALLER_URL}")
    endif()
    set(templates ${CMAKE_SOURCE_DIR}/resources/winget)
    set(output_dir ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/winget)
    set(names Brisel.BriselBackup7.yaml Brisel.BriselBackup7.installer.yaml Brisel.BriselBackup7.locale.en-US.yaml)
    # The values that are not the installer's digest, rewritten only when they change, so that
    # another URL or version writes the manifest again.
    set(VERSION ${PROJECT_VERSION})
    set(INSTALLER_URL ${BB7_WINGET_INSTALLER_URL})
    set(values ${CMAKE_CURRENT_BINARY_DIR}/winget-values.cmake)
    file(CONFIGURE OUTPUT ${values} CONTENT "set(VERSION \"@VERSION@\")\nset(INSTALLER_URL \"@INSTALLER_URL@\")\n" @ONLY)
    set(outputs "")
    set(inputs "")
    foreach(name IN LISTS names)
        list(APPEND outputs ${output_dir}/${name})
        list(APPEND inputs ${templates}/${name}.in)
    endforeach()
    add_custom_command(
        OUTPUT ${outputs}
        COMMAND ${CMAKE_COMMAND} -DINSTALLER=$<TARGET_FILE:${installer}> -DVALUES=${values}
                -DTEMPLATES=${templates} -DOUTPUT_DIR=${output_dir} "-DNAMES=${names}"
                -P ${CMAKE_SOURCE_DIR}/cmake/WriteWingetManifest.cmake
        DEPENDS ${installer} ${inputs} ${values} ${CMAKE_SOURCE_DIR}/cmake/WriteWingetManifest.cmake
        COMMENT "Writing the winget manifest of $<TARGET_FILE_NAME:${installer}>"
        VERBATIM)
    add_custom_target(bb7_winget_manifest ALL DEPENDS ${outputs})
endfunction()
