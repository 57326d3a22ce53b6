# cmake -DSOURCE=distro -DDESTINATION=stage -DBUILT="a.exe|b.dll|" -DSTAMP=file -P StageProduct.cmake
# A fresh copy of the product folder without its sources, with the built programs at its top.
file(REMOVE_RECURSE ${DESTINATION})
file(COPY ${SOURCE}/ DESTINATION ${DESTINATION} PATTERN src EXCLUDE)
string(REPLACE "|" ";" built "${BUILT}")
foreach(file IN LISTS built)
    file(COPY ${file} DESTINATION ${DESTINATION})
endforeach()
file(TOUCH ${STAMP})
