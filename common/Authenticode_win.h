// Who signed a program: the certificate of its Authenticode signature, once the signature is
// found to cover the program's content as it is.
#pragma once

#include <windows.h>

#include <string>

// The encoded certificate that signed the file held by File (Path names it, for the system's
// check); empty when the file carries no Authenticode signature, or one that does not match
// its content or is refused for another reason than a certificate authority that this
// computer does not know (a company's own authority, say).
std::string AuthenticodeSigner(HANDLE File, const std::string& Path);

// The certificate that signed the running program; empty when it is not signed. Asked once.
const std::string& OwnAuthenticodeSigner();
