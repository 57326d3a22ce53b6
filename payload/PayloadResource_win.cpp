#include "PayloadResource.h"

#include <windows.h>

const char* const PayloadResourceName = "DISTRO";
const char* const NotUnzippedMessage = "The files couldn't be unzipped";

bool FindPayload(const void*& Data, size_t& Size)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, PayloadResourceName, RT_RCDATA);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    Data = loaded ? LockResource(loaded) : nullptr;
    Size = Data ? SizeofResource(module, resource) : 0;
    return Data != nullptr;
}
