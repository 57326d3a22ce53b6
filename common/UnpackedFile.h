// Reading what the unpacker wrote into a folder that other programs of the user may write
// too: each file is held open with writes and deletion denied while it is checked against
// the digest taken when it was written, and used only when it still has that content.
#pragma once

#include <windows.h>

#include <string>

#include "Sha256.h"
#include "WinHandles.h"

// Opens Path for reading so that nobody may write, rename or delete it while the handle is
// held. A folder, a link or reparse point, and a file that cannot be opened give no handle.
FileHandle OpenUnchangeable(const std::string& Path);

// The digest of the content of a file held open for reading, read from its start.
bool DigestOfOpenFile(HANDLE File, Sha256Digest& Digest);

// True when the file held open still has the content whose digest is Expected; false when
// Expected is nullptr (the unpacker did not write it) or the content differs.
bool HasUnpackedContent(HANDLE File, const Sha256Digest* Expected);

// The whole content of a file held open (OpenUnchangeable), read from its start; files larger
// than MaxSize are refused.
bool ReadHeldFile(HANDLE File, std::string& Content, size_t MaxSize);

// The content of Path when it still is what was unpacked (see HasUnpackedContent), read
// through one held handle. Files larger than MaxSize are refused.
bool ReadUnpackedFile(const std::string& Path, const Sha256Digest* Expected, std::string& Content,
                      size_t MaxSize = 64u << 20);

// Copies the file held open (OpenUnchangeable), from its start, to Target, a file made anew (a
// file there goes first) with the source's attributes and time of last change. A copy that
// fails half-way is deleted.
bool CopyHeldFile(HANDLE Source, const std::string& Target);

// Copies Source, which must still be what was unpacked, to Target, a file made anew (a file
// there goes first) with the source's attributes and time of last change. Nothing is written to Target unless
// the source's content was confirmed first; the source stays held open meanwhile, so that
// the bytes written are the bytes checked.
bool CopyUnpackedFile(const std::string& Source, const Sha256Digest* Expected, const std::string& Target);
