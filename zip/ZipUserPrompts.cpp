#include "ZipUserPrompts.h"

#include <atomic>

namespace {

class TDefaultPrompts : public IZipUserPrompts {
public:
    bool AskPassword(const std::string&, const std::string&, std::string&) override { return false; }
    TZAAction AskFileFailure(const std::string&) override { return faAbort; }
};

TDefaultPrompts DefaultPrompts;
std::atomic<IZipUserPrompts*> Installed{nullptr};

} // namespace

void SetZipUserPrompts(IZipUserPrompts* Prompts)
{
    Installed.store(Prompts);
}

IZipUserPrompts& ZipUserPrompts()
{
    IZipUserPrompts* p = Installed.load();
    return p ? *p : DefaultPrompts;
}
