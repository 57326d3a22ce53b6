// Errors of the zip archive reader: EZAException with its two numbers and the message
// table that turns a native error code into a text.
#pragma once

#include <stdexcept>
#include <string>

// NativeError codes that the reader raises.
enum TZAErrorCodes {
    zecCorruptedData = 8,
    zecBlankFileName = 10,
    zecFileNotFound = 12,
    zecArchiveNotOpen = 13,
    zecIndexOutOfBounds = 16,
    zecCannotCreateFile = 19,
    zecCannotCreateDir = 20,
    zecUpdateNotEnded = 26,
    zecInMemoryOnly = 28,
    zecCannotOpenFile = 33,
    zecInvalidArchive = 35,
    zecNoZip64EndRecord = 40,
    zecOpenAborted = 45,
    zecDamagedArchive = 48,
    zecDeflate64 = 55,
};

class EZAException : public std::runtime_error {
public:
    EZAException(const std::string& Message, int NativeError, int ErrorCode)
        : std::runtime_error(Message), NativeError(NativeError), ErrorCode(ErrorCode)
    {
    }
    int NativeError; // the code the failure was raised with, 0..60
    int ErrorCode;   // its message number, 0..35
};

// Message number of a native error code; 0 ("Unknown error") for a code outside the map.
int ZipErrorCodeOf(int NativeError);

// Text of a message number, "%s" not yet filled; the text of 0 for a number outside the table.
const char* ZipErrorText(int ErrorCode);

// The full message: "<ComponentName>: " when a name is given, the text with "%s" filled by
// Argument, then " - Native error: " and the code as five digits.
std::string FormatZipError(const std::string& ComponentName, int NativeError, const std::string& Argument);

EZAException MakeZipError(const std::string& ComponentName, int NativeError, const std::string& Argument = "");
