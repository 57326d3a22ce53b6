# cmake -DPRODUCT=staged -DEXTRA=folder -DLINES=file -DDESTINATION=folder -P MakeFormsProduct.cmake
# The product with files of its own beside it, and manifest lines of every form appended to its
# manifest: the payload on which both ways of installing must agree line for line.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${DESTINATION})
file(COPY ${PRODUCT}/ DESTINATION ${DESTINATION})
file(COPY ${EXTRA}/ DESTINATION ${DESTINATION})
file(READ ${LINES} lines)
file(APPEND ${DESTINATION}/bb7setup.dat "${lines}")
