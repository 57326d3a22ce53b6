#include <gtest/gtest.h>

#include "ZipArchive.h"
#include "ZipErrors.h"

TEST(ZipErrorMessage, CarriesComponentNameTextAndFiveDigitCode)
{
    EXPECT_EQ("Unzip: Archive is not open - Native error: 00013", FormatZipError("Unzip", 13, ""));
    EXPECT_EQ("Archive is not open - Native error: 00013", FormatZipError("", 13, ""));
    EXPECT_EQ("Unzip: Cannot create file \"C:\\x\\y.txt\" - Native error: 00019",
              FormatZipError("Unzip", 19, "C:\\x\\y.txt"));
    EXPECT_EQ("Unzip: File \"a.zip\" not found - Native error: 00012", FormatZipError("Unzip", 12, "a.zip"));
}

TEST(ZipErrorMessage, UnknownCodesGetMessageZero)
{
    EXPECT_EQ(0, ZipErrorCodeOf(61));
    EXPECT_EQ(0, ZipErrorCodeOf(-1));
    EXPECT_EQ("Unknown error - Native error: 00099", FormatZipError("", 99, ""));
}

TEST(ZipErrorMap, MapsEveryCodeTheReaderRaises)
{
    const struct {
        int Native, Code;
        const char* Text;
    } cases[] = {
        {8, 4, "Invalid size or check sum of file or unsupported compression format"},
        {10, 5, "File name is blank. Specify appropriate file name"},
        {12, 6, "File \"%s\" not found"},
        {13, 7, "Archive is not open"},
        {16, 1, "Index out of bounds"},
        {19, 9, "Cannot create file \"%s\""},
        {20, 10, "Cannot create directory \"%s\""},
        {26, 13, "Cannot proceed when update is not ended. Preceding EndUpdate call is required."},
        {28, 15, "In-memory archive can be created only"},
        {35, 18, "Invalid archive file."},
        {40, 22, "Cannot find Zip64 directory end record"},
        {44, 24, "Cannot open archive file. Opening aborted or invalid file"},
        {48, 27, "Archive is damaged. Open failed"},
        {55, 32, "Deflate64 compression method is not supported"},
        {57, 27, "Archive is damaged. Open failed"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.Code, ZipErrorCodeOf(c.Native)) << c.Native;
        EXPECT_STREQ(c.Text, ZipErrorText(c.Code)) << c.Native;
    }
}

TEST(ZipErrorMap, KeepsTheTablesTextsAsTheyStand)
{
    // The message table's own spelling, typo included.
    EXPECT_STREQ("Archive is open. You should close it beore performing this operation.", ZipErrorText(20));
    EXPECT_STREQ("Cannot delete folder \"%s\"", ZipErrorText(35));
    EXPECT_STREQ("Unknown error", ZipErrorText(36));
    // Codes that share a message.
    for (int native : {1, 2, 3, 4, 7, 16, 21, 24})
        EXPECT_EQ(1, ZipErrorCodeOf(native)) << native;
    for (int native : {11, 12, 15, 18, 30, 31, 38, 42, 53, 54})
        EXPECT_EQ(6, ZipErrorCodeOf(native)) << native;
    EXPECT_EQ(34, ZipErrorCodeOf(58));
    EXPECT_EQ(34, ZipErrorCodeOf(59));
    EXPECT_EQ(35, ZipErrorCodeOf(60));
}

TEST(ZipErrorException, CarriesBothNumbers)
{
    const EZAException e = MakeZipError("Unzip", 20, "D:\\out");
    EXPECT_EQ(20, e.NativeError);
    EXPECT_EQ(10, e.ErrorCode);
    EXPECT_STREQ("Unzip: Cannot create directory \"D:\\out\" - Native error: 00020", e.what());
}

TEST(ZipErrorException, ComesFromOperationsWithoutAnOpenArchive)
{
    TZipArchive zip("Unzip");
    try {
        zip.ExtractByMask("*.*", 0x28BF, "");
        FAIL() << "no exception";
    } catch (const EZAException& e) {
        EXPECT_STREQ("Unzip: Archive is not open - Native error: 00013", e.what());
        EXPECT_EQ(13, e.NativeError);
        EXPECT_EQ(7, e.ErrorCode);
    }
    EXPECT_THROW(zip.FileEntryCount(), EZAException);
    TZASearchRec rec;
    EXPECT_THROW(zip.FindEntry("*.*", rec, "", 0x3F), EZAException);
}
