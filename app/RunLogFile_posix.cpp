// The log file made under a new name and renamed over Path, so that a link at Path is
// replaced rather than written through.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "RunLog.h"

std::FILE* CreateReplacingFile(const std::string& Path)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string fresh = Path + "." + std::to_string(getpid()) + "-" + std::to_string(attempt) + ".new";
        const int descriptor = open(fresh.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (descriptor < 0)
            continue;
        if (rename(fresh.c_str(), Path.c_str()) != 0) {
            unlink(fresh.c_str());
            close(descriptor);
            return nullptr;
        }
        std::FILE* stream = fdopen(descriptor, "wb");
        if (!stream)
            close(descriptor);
        return stream;
    }
    return nullptr;
}
