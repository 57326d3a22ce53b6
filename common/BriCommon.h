// Shared helpers: paths, special folders, text conversions, autostart entries,
// the administrator test and the string cipher. Stateless free functions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "StringCipher.h"

// True when the text holds nothing but blanks and control characters (codes 0 to 32): what
// is left when both ends are trimmed of them is empty.
bool IsBlankText(const std::string& Text);

// The lines of a text: a line ends at CR LF, LF or CR, a NUL byte ends the text, and a line
// break after the last line makes no empty line of its own. Nothing is trimmed.
std::vector<std::string> SplitTextLines(const std::string& Text);

// Windows file names ignore letter case: compared here for ASCII letters.
bool SameFileName(const std::string& A, const std::string& B);

// True when Text is "TRUE" in any letter case; nothing is trimmed.
bool IsTrueText(const std::string& Text);

// Text as a signed 32-bit integer: leading blanks, one sign, then decimal digits or
// hexadecimal digits after "$", "x", "X", "0x" or "0X". Anything else gives Default.
int32_t TextToIntDef(const std::string& Text, int32_t Default);

// Path with a backslash at its end; an empty path stays empty.
std::string AddTrailingBackslash(const std::string& Path);

// Text in double quotes, unless it already starts or ends with one.
std::string QuoteText(const std::string& Text);

// Kinds of GetSpecialFolder. Every number from 21 to 255 gives the desktop.
enum SpecialFolderKind : uint8_t {
    sfDesktop = 0,        // the user's desktop folder
    sfFonts = 1,          // fonts folder
    sfPersonal = 2,       // the user's documents folder
    sfRecent = 3,         // recent documents
    sfSendTo = 4,         // Send To folder
    sfStartMenu = 5,      // the user's Start menu
    sfStartup = 6,        // the user's Startup folder
    sfTemplates = 7,      // document templates
    sfFavorites = 8,      // favourites
    sfCookies = 9,        // cookies
    sfInternetCache = 10, // Internet cache
    sfHistory = 11,       // history
    sfPrograms = 12,      // the user's Start-menu programs
    sfCommonDesktop = 13, // all users' desktop folder
    sfCommonPrograms = 14,
    sfCommonStartup = 15,
    sfCommonStartMenu = 16,
    sfAppData = 17, // the user's application data
    sfWindows = 18, // GetWindowsDirectory
    sfSystem = 19,  // GetSystemDirectory
    sfTemp = 20,    // GetTempPath
};

#ifdef _WIN32
// True when Path (wildcards allowed) names an existing entry that is not a folder.
bool IsExistingFile(const std::string& Path);

// Folder of the running program file, with a trailing backslash.
std::string GetProgramFolder();

// Folder of the given kind (0..255, see SpecialFolderKind), with a trailing backslash,
// or empty when the system cannot give it.
std::string GetSpecialFolder(uint8_t Kind);

// Adds or removes a value of the Run (or RunServices) key under HKLM (AllUsers) or HKCU.
// Throws EBriError("Failed to set data for '<ValueName>'") when the value cannot be written.
void SetAutostart(const std::string& ValueName, const std::string& ProgramPath, bool Remove, bool AllUsers,
                  const std::string& Parameters, bool RunServices);

// True when the caller's security token holds the built-in Administrators group.
bool IsAdministrator();

// The platform identifier of the system (VER_PLATFORM_WIN32_NT, VER_PLATFORM_WIN32_WINDOWS
// for the 95 family...), and whether it is of the NT family.
uint32_t PlatformId();
bool IsNtPlatform();

// The system's text for an error code, without the line break it ends with; a short
// "System error N" when the system has none.
std::string SysErrorMessage(uint32_t Code);
#endif
