#include "ZipErrors.h"

#include <cstdio>

namespace {

const char* const Messages[] = {
    "Unknown error",
    "Index out of bounds",
    "Invalid compression mode. Mode must be in [0-9] range",
    "Unexpected nil pointer",
    "Invalid size or check sum of file or unsupported compression format",
    "File name is blank. Specify appropriate file name",
    "File \"%s\" not found",
    "Archive is not open",
    "SFXStub property is not specified",
    "Cannot create file \"%s\"",
    "Cannot create directory \"%s\"",
    "Internal error. Update is not started",
    "Cannot open file \"%s\"",
    "Cannot proceed when update is not ended. Preceding EndUpdate call is required.",
    "Cannot delete file \"%s\"",
    "In-memory archive can be created only",
    "File is open in read-only mode",
    "Invalid compressed size, rfs.size = %d, count = %d",
    "Invalid archive file.",
    "Cannot create output file. Probably file is locked by another process. FileName = '%s'.",
    "Archive is open. You should close it beore performing this operation.",
    "Unable to create directory",
    "Cannot find Zip64 directory end record",
    "Cannot compress file '%s'. Zip64 mode is not enabled",
    "Cannot open archive file. Opening aborted or invalid file",
    "Write to stream error",
    "Cannot place SFX stub on volume. Volume size limit is too small",
    "Archive is damaged. Open failed",
    "MakeSFX is not allowed for splitted or spanned archives. Set SFXStub before archive creation instead of MakeSFX",
    "Archive already has SFX stub",
    "Multi-volume archive is not allowed for custom stream",
    ("Multi-spanned archive is not allowed for modification. Use BeginUpdate/EndUpdate methods to add files several "
     "times"),
    "Deflate64 compression method is not supported",
    "MakeSFX error",
    "Hashed list of file names is invalid",
    "Cannot delete folder \"%s\"",
};
constexpr int MessageCount = static_cast<int>(sizeof Messages / sizeof Messages[0]);
static_assert(MessageCount == 36, "message table holds numbers 0 to 35");

// Message number of each native error code 0..60.
const unsigned char CodeMap[] = {
    0,  1,  1,  1,  1,  2,  3,  1,  4,  5,  // 0-9
    5,  6,  6,  7,  7,  6,  1,  8,  6,  9,  // 10-19
    10, 1,  11, 9,  1,  11, 13, 14, 15, 5,  // 20-29
    6,  6,  16, 12, 17, 18, 19, 20, 6,  21, // 30-39
    22, 23, 6,  23, 24, 24, 25, 26, 27, 28, // 40-49
    29, 30, 31, 6,  6,  32, 33, 27, 34, 34, // 50-59
    35,                                     // 60
};
static_assert(sizeof CodeMap == 61, "map covers native codes 0 to 60");

} // namespace

int ZipErrorCodeOf(int NativeError)
{
    if (NativeError < 0 || NativeError >= static_cast<int>(sizeof CodeMap))
        return 0;
    return CodeMap[NativeError];
}

const char* ZipErrorText(int ErrorCode)
{
    if (ErrorCode < 0 || ErrorCode >= MessageCount)
        return Messages[0];
    return Messages[ErrorCode];
}

std::string FormatZipError(const std::string& ComponentName, int NativeError, const std::string& Argument)
{
    std::string text = ZipErrorText(ZipErrorCodeOf(NativeError));
    const std::string::size_type at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, Argument);

    char code[16];
    std::snprintf(code, sizeof code, "%5d", NativeError);
    for (char* c = code; *c; ++c)
        if (*c == ' ')
            *c = '0';

    std::string message;
    if (!ComponentName.empty())
        message = ComponentName + ": ";
    return message + text + " - Native error: " + code;
}

EZAException MakeZipError(const std::string& ComponentName, int NativeError, const std::string& Argument)
{
    return EZAException(FormatZipError(ComponentName, NativeError, Argument), NativeError, ZipErrorCodeOf(NativeError));
}
