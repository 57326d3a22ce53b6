// The payload: the product's zip archive in the program's own resources.
#pragma once

#include <cstddef>

extern const char* const PayloadResourceName; // "DISTRO", of type RCDATA

// The payload's bytes in the running program, which stay mapped for the program's life; false
// when the program carries none.
bool FindPayload(const void*& Data, size_t& Size);

extern const char* const NotUnzippedMessage; // "The files couldn't be unzipped"
