# cmake -DSOURCE=distro -DDESTINATION=stage -DBUILT="a.exe|b.dll|" -DSTAMP=file
#       [-DOSSLSIGNCODE=... -DPKCS12=... -DPASSWORD_FILE=... -DTIMESTAMP_URL=...] -P StageProduct.cmake
# A fresh copy of the product folder without its sources, with the built programs at its top,
# signed there when a certificate is named (cmake/Authenticode.cmake).
cmake_minimum_required(VERSION 3.25)
if(PKCS12)
    include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/Authenticode.cmake)
endif()
file(REMOVE_RECURSE ${DESTINATION})
file(COPY ${SOURCE}/ DESTINATION ${DESTINATION} PATTERN src EXCLUDE)
string(REPLACE "|" ";" built "${BUILT}")
list(REMOVE_ITEM built "")
foreach(file IN LISTS built)
    file(COPY ${file} DESTINATION ${DESTINATION})
    if(PKCS12)
        get_filename_component(name ${file} NAME)
        bb7_authenticode_sign(${DESTINATION}/${name})
    endif()
endforeach()
file(TOUCH ${STAMP})
