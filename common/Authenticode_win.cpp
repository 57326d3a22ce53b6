#include "Authenticode_win.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include "FolderHandles_win.h"
#include "OwnProgram_win.h"
#include "WinHandles.h"

namespace {

// wintrust.dll is no library that Windows always keeps loaded: imported by name, it would be
// looked for beside the installer first, where a downloads folder may hold one of that name.
// It is loaded from the system folder, by its full path, when first needed.
struct WinTrust {
    using VerifyProc = LONG(WINAPI*)(HWND, GUID*, LPVOID);
    using ProviderDataProc = CRYPT_PROVIDER_DATA*(WINAPI*)(HANDLE);
    using SignerProc = CRYPT_PROVIDER_SGNR*(WINAPI*)(CRYPT_PROVIDER_DATA*, DWORD, BOOL, DWORD);
    VerifyProc Verify = nullptr;
    ProviderDataProc ProviderData = nullptr;
    SignerProc Signer = nullptr;

    WinTrust()
    {
        char system[MAX_PATH + 1] = {};
        const UINT length = GetSystemDirectoryA(system, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return;
        const HMODULE module = LoadLibraryA((std::string(system) + "\\wintrust.dll").c_str());
        if (!module)
            return;
        Verify = ModuleExport<VerifyProc>(module, "WinVerifyTrust");
        ProviderData = ModuleExport<ProviderDataProc>(module, "WTHelperProvDataFromStateData");
        Signer = ModuleExport<SignerProc>(module, "WTHelperGetProvSignerFromChain");
        if (!ProviderData || !Signer)
            Verify = nullptr;
    }
};

const WinTrust& TrustLibrary()
{
    static const WinTrust library; // kept loaded for the program's life
    return library;
}

// WinVerifyTrust's answers for a signature whose digest matches the file but whose chain this
// computer does not trust: a release signed by an authority of the company's own is still
// compared with the installer's certificate, which is what decides.
bool ContentMatchesSignature(LONG Result)
{
    switch (static_cast<HRESULT>(Result)) {
    case S_OK:
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_CHAINING:
    case CERT_E_UNTRUSTEDTESTROOT:
    case CERT_E_UNTRUSTEDCA:
    case CERT_E_EXPIRED:
        return true;
    default:
        return false;
    }
}

// The signer of the file held by File, which Path names for the system's check.
std::string SignerOf(HANDLE File, const std::wstring& Path);

} // namespace

std::string AuthenticodeSigner(HANDLE File, const std::string& Path)
{
    return SignerOf(File, WideText(Path));
}

namespace {

std::string SignerOf(HANDLE File, const std::wstring& Path)
{
    const WinTrust& trust = TrustLibrary();
    if (!trust.Verify)
        return "";
    const std::wstring& path = Path;
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = path.c_str();
    file.hFile = File;
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE; // no network: a deployment may have none
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG result = trust.Verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);

    std::string signer;
    if (ContentMatchesSignature(result)) {
        CRYPT_PROVIDER_DATA* provider = trust.ProviderData(data.hWVTStateData);
        CRYPT_PROVIDER_SGNR* first = provider ? trust.Signer(provider, 0, FALSE, 0) : nullptr;
        if (first && first->csCertChain > 0 && first->pasCertChain && first->pasCertChain[0].pCert) {
            const CERT_CONTEXT* certificate = first->pasCertChain[0].pCert;
            signer.assign(reinterpret_cast<const char*>(certificate->pbCertEncoded), certificate->cbCertEncoded);
        }
    }
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    trust.Verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return signer;
}

// The program that runs carries a signature: its image's security directory names one. An
// unsigned build has none, and wintrust need not be loaded to find that out (a good part of a
// silent upgrade's time under Wine).
bool CarriesSignature()
{
    const auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY].Size != 0;
}

} // namespace

const std::string& OwnAuthenticodeSigner()
{
    // The file is read through the path Windows holds in UTF-16: the ANSI form of a folder
    // "C:\Kit-Āpps" names a look-alike, "C:\Kit-Apps", where another file may stand.
    static const std::string signer = [] {
        if (!CarriesSignature())
            return std::string();
        const std::wstring path = OwnProgramPath();
        const FileHandle file(CreateFileW(ExtendedLengthPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return file ? SignerOf(file.Get(), path) : std::string();
    }();
    return signer;
}
