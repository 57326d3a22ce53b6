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

// Extraction options, with the defaults that the option object sets.
struct TZAOptions {
    TZAStorePathMode StorePath = spRelativePath;
    bool Recurse = true;
    TZAFileShareMode ShareMode = smShareDenyNone;
    TZAOverwriteMode OverwriteMode = omAlways;
    bool CreateDirs = true;
    bool ReplaceReadOnly = true;
    bool SetAttributes = true;
    int32_t SearchAttr = 0x28BF;
    bool FlushBuffers = true;
    bool OEMFileNames = true;
};
