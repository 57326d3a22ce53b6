#include "InstallerPayload.h"

#include <windows.h>

#include "WinHandles.h"

namespace {

const char* const PayloadName = "DISTRO";

struct FoundLanguage {
    WORD Language = 0;
    bool Found = false;
};

BOOL CALLBACK FirstLanguage(HMODULE, LPCSTR, LPCSTR, WORD Language, LONG_PTR Param)
{
    *reinterpret_cast<FoundLanguage*>(Param) = {Language, true};
    return FALSE;
}

} // namespace

std::string InstallerPayload(const std::string& Exe)
{
    ModuleHandle module(LoadLibraryExA(Exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    HRSRC resource = module ? FindResourceA(module.Get(), PayloadName, RT_RCDATA) : nullptr;
    const void* bytes = resource ? LockResource(LoadResource(module.Get(), resource)) : nullptr;
    return bytes ? std::string(static_cast<const char*>(bytes), SizeofResource(module.Get(), resource)) : std::string();
}

bool ReplaceInstallerPayload(const std::string& Exe, const std::string& Data)
{
    // UpdateResource replaces a resource only under its own language; a new language would
    // add a second payload beside the first, which the installer would not read.
    FoundLanguage language;
    {
        ModuleHandle module(LoadLibraryExA(Exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        if (!module)
            return false;
        EnumResourceLanguagesA(module.Get(), RT_RCDATA, PayloadName, FirstLanguage,
                               reinterpret_cast<LONG_PTR>(&language));
    } // the file is free again for the update
    if (!language.Found)
        return false;
    HANDLE update = BeginUpdateResourceA(Exe.c_str(), FALSE);
    if (!update)
        return false;
    if (!UpdateResourceA(update, RT_RCDATA, PayloadName, language.Language, const_cast<char*>(Data.data()),
                         static_cast<DWORD>(Data.size()))) {
        EndUpdateResourceA(update, TRUE);
        return false;
    }
    return EndUpdateResourceA(update, FALSE) != FALSE;
}
