# cmake -DPRODUCT=staged -DEXTRA=folder -DLINES=file -DDESTINATION=folder -P MakeProductVariant.cmake
# Another product made from the staged one: the files of EXTRA added to it (replacing those of
# the same name), and the lines of LINES appended to its manifest. The scenarios make the
# product whose manifest lines take every form and an earlier release from it.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${DESTINATION})
file(COPY ${PRODUCT}/ DESTINATION ${DESTINATION})
file(COPY ${EXTRA}/ DESTINATION ${DESTINATION})
file(READ ${LINES} lines)
file(APPEND ${DESTINATION}/bb7setup.dat "${lines}")
