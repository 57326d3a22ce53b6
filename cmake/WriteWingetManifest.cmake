# cmake -DINSTALLER=Bb7Setup.exe -DVALUES=winget-values.cmake -DTEMPLATES=folder -DOUTPUT_DIR=folder
#       -DNAMES=file;file;file -P WriteWingetManifest.cmake
# Writes each NAME into OUTPUT_DIR from TEMPLATES/NAME.in with the values of VALUES (VERSION,
# INSTALLER_URL) and the installer's SHA-256 (INSTALLER_SHA256, upper-case hexadecimal digits).
cmake_minimum_required(VERSION 3.25)
include(${VALUES})
file(SHA256 ${INSTALLER} digest)
string(TOUPPER ${digest} INSTALLER_SHA256)
foreach(name IN LISTS NAMES)
    configure_file(${TEMPLATES}/${name}.in ${OUTPUT_DIR}/${name} @ONLY NEWLINE_STYLE LF)
endforeach()
