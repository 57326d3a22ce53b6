// bb7withpayload: a copy of the installer that carries another product, for scripts that need an
// earlier release of the installer beside the current one.
//
//   bb7withpayload SETUP.EXE PAYLOAD.ZIP COPY.EXE
//
// COPY.EXE becomes SETUP.EXE with PAYLOAD.ZIP as its payload. Exit status 0 when it was made,
// 1 when it could not be, 2 for wrong arguments.
#include <windows.h>

#include <iostream>

#include "InstallerPayload.h"
#include "WinTestSupport.h"

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: bb7withpayload SETUP.EXE PAYLOAD.ZIP COPY.EXE\n";
        return 2;
    }
    const std::string payload = ReadWholeFile(argv[2]);
    if (payload.empty()) {
        std::cerr << "bb7withpayload: " << argv[2] << " cannot be read\n";
        return 1;
    }
    if (!CopyFileA(argv[1], argv[3], FALSE) || !ReplaceInstallerPayload(argv[3], payload)) {
        std::cerr << "bb7withpayload: " << argv[3] << " could not be made (" << GetLastError() << ")\n";
        return 1;
    }
    return 0;
}
