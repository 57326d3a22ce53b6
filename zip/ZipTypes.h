// Enumerations and options of the zip archive reader.
#pragma once

#include <cstdint>

enum TZAProcessOperation {
    poAdd,
    poMove,
    poDelete,
    poUpdate,
    poExtract,
    poTest,
    poRename,
    poChangeAttr,
    poChangeComment,
    poMakeSFX
};
enum TZAProgressPhase { ppStart, ppProcess, ppEnd };
enum TZAAction { faRetry, faIgnore, faAbort };
enum TZAOverwriteMode { omPrompt, omAlways, omNever, omIfNewer, omIfOlder };
enum TZAStorePathMode { spNoPath, spRelativePath, spFullPath, spFullPathWithDrive };
enum TZAFileShareMode { smShareCompat, smShareExclusive, smShareDenyWrite, smShareDenyRead, smShareDenyNone };
enum TZASpanningMode { smNone, smSpanning, smSplitting };
enum TZip64Mode { zmDisabled, zmAuto, zmAlways };

// The 16-bit file open modes that Open takes: access in the low two bits, sharing in bits 4-6.
constexpr int fmOpenRead = 0x0000;
constexpr int fmShareDenyNone = 0x0040; // others may read and write
// Attribute mask of the searches that select every kind of entry (files, folders, hidden,
// system, archive...).
constexpr int32_t faEveryEntry = 0x28BF;

// Extraction options, with the defaults that the option object sets.
struct TZAOptions {
    TZAStorePathMode StorePath = spRelativePath;
    bool Recurse = true;
    TZAFileShareMode ShareMode = smShareDenyNone;
    TZAOverwriteMode OverwriteMode = omAlways;
    bool CreateDirs = true;
    bool ReplaceReadOnly = true;
    bool SetAttributes = true;
    int32_t SearchAttr = faEveryEntry;
    bool FlushBuffers = true;
    bool OEMFileNames = true;
};
