# cmake -DOSSLSIGNCODE=tool -DPKCS12=cert.p12 -DPASSWORD_FILE=file [-DTIMESTAMP_URL=url]
#       -DFILE=program.exe -P SignFile.cmake
# Signs FILE in place (cmake/Authenticode.cmake).
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/Authenticode.cmake)
bb7_authenticode_sign(${FILE})
