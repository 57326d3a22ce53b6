// Files and folders made, read, copied and removed relative to a folder the program holds open
// (FolderHandles_win.h): a name is looked up once, inside the held folder, never again by its
// path, and no link is followed. Where the elevated installer keeps what it must trust later,
// nothing can be swapped for a link between two calls.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Sha256.h"
#include "WinHandles.h"

// The names of a relative path ("Kept\Files\Help\index.htm"); empty names are left out.
std::vector<std::wstring> RelativeNames(const std::string& Relative);

// Opens the folders that Names lists below the folder held by Top, one level inside the other,
// the last one with Access (and sharing reading and writing). Create: a level that is missing is
// made; it inherits what its parent passes on. Empty when a level cannot be opened or made, is
// no folder, or is a link. No names: Top itself, opened again.
FileHandle OpenSubfolders(HANDLE Top, const std::vector<std::wstring>& Names, ACCESS_MASK Access, bool Create);

// Opens the file Name in the folder held by Folder for reading; others may read it while it is
// held, but neither write, rename nor delete it. A link, a folder or a file of several names
// gives none. Status, when given, gets the system's reason when the file could not be opened.
FileHandle OpenFileForReading(HANDLE Folder, const std::wstring& Name, NTSTATUS* Status = nullptr);

// Opens the file Name in the folder held by Folder to be read and then moved (DELETE): others
// may read it meanwhile, neither write, rename nor delete it. As OpenFileForReading otherwise.
FileHandle OpenFileForMoving(HANDLE Folder, const std::wstring& Name, NTSTATUS* Status = nullptr);

// Moves the file held by File (open with DELETE) into the folder held by Folder as Name: one
// step, nothing copied. False when the system refuses, another volume's folder for one, or
// something standing at Name.
bool MoveHeldFileInto(HANDLE File, HANDLE Folder, const std::wstring& Name);

// The file Relative ("Help\index.htm") below the folder held by Folder, opened for reading as
// OpenFileForReading opens it, through the folders on its way, none of them a link.
FileHandle OpenFileBelow(HANDLE Folder, const std::string& Relative, NTSTATUS* Status = nullptr);

// The reason a file could not be opened: another program holds it open without sharing it.
bool IsSharingViolation(NTSTATUS Status);

// Deletes the file or empty folder Name in the folder held by Folder, a read-only file too; a
// link goes itself, never what it leads to. True when nothing of that name is there afterwards.
bool DeleteEntry(HANDLE Folder, const std::wstring& Name);

// Gives the entry From of the folder held by Folder the name To in the same folder, replacing
// what stands at To: the one step that makes a file written aside whole at its name.
bool RenameEntry(HANDLE Folder, const std::wstring& From, const std::wstring& To);

// Writes Data into a file made anew as Name in the folder held by Folder (what stands at that
// name goes first, never written into), with Attributes and, when given, that time of last
// change; the data reach the disk before it returns.
bool WriteNewFile(HANDLE Folder, const std::wstring& Name, const std::string& Data,
                  DWORD Attributes = FILE_ATTRIBUTE_NORMAL, const FILETIME* LastWrite = nullptr);

// Copies the file held open by Source, from its start, into a file made anew as Name in the
// folder held by Folder, with the source's attributes and time of last change. Digest, when
// given, gets the digest of the bytes copied. A copy that fails half-way is deleted. Flush: its
// data reach the disk before it returns (a copy of many files flushes their volume once
// instead, FlushVolumeOf).
bool CopyHeldFileInto(HANDLE Source, HANDLE Folder, const std::wstring& Name, Sha256Digest* Digest = nullptr,
                      bool Flush = true);

// Has the volume of Path ("C:\...") write what it holds in its caches to the disk: every file
// written so far reaches it at once. Needs an administrator's rights; otherwise it does nothing.
void FlushVolumeOf(const std::string& Path);

// True when the folder held by Folder (open with FILE_LIST_DIRECTORY) holds nothing.
bool IsEmptyFolder(HANDLE Folder);

// Deletes everything in the folder held by Folder (open with FILE_LIST_DIRECTORY), each entry
// through a handle of its own: a folder is emptied the same way, a link goes itself and what it
// leads to stays. False when something stays.
bool EmptyHeldFolder(HANDLE Folder);

// A name that nobody can make first: Bytes bytes of the system's random generator, in hex.
std::string UnpredictableName(size_t Bytes = 16);
