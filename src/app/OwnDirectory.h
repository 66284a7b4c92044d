#pragma once
// The removal of the program's own directory when the tool ends: which directories may
// go, and the command that removes one after the program has exited.

#include <windows.h>

#include <string>
#include <vector>

#include "system/RestrictedProcess.h"
#include "win/UniqueHandle.h"

// The one form of a directory's path that every check judges and the command names:
// full, long names, no trailing backslash. Empty when it cannot be had.
std::wstring NormalisedDirectory(const std::wstring& directory);

// How the drive of a path is reached, as the system tells it.
struct DriveFacts {
    UINT type = DRIVE_UNKNOWN;  // GetDriveTypeW of the drive's root
    bool substituted = false;   // the letter stands for a folder of another drive
};
DriveFacts QueryDriveFacts(const std::wstring& path);

// True only for a "X:\..." path on a fixed local disk whose letter is no substitute: an
// administrator's deletion on a share or a removable disk reaches other people's copies.
bool IsOnFixedLocalDisk(const std::wstring& path, const DriveFacts& facts);

// Drive roots and the system's well-known folders (Windows, system, program files,
// program data, the user profile, desktop, documents, downloads, temp...), in any case
// and with or without a trailing backslash.
bool IsProtectedFolder(const std::wstring& directory);

using DriveFactsQuery = DriveFacts (*)(const std::wstring& path);

// The removal of a folder of the tool's own, decided before anything is deleted.
struct FolderRemoval {
    std::wstring folder;                   // as every check judged it
    std::vector<std::wstring> companions;  // the companion files present, as named there
    // Waits 3 s (the program has ended by then), deletes the program's file unless that
    // name has become a folder, then removes the folder only if that left it empty. Empty
    // when the folder must stay: a path `cmd` would expand (% or !), not on a fixed local
    // disk, a protected folder, or one that holds anything but the program's file and
    // `companionFiles` (names, any case).
    std::wstring commandLine;
};
FolderRemoval PlanFolderRemoval(const std::wstring& directory, const std::wstring& programFile,
                                const std::vector<std::wstring>& companionFiles,
                                DriveFactsQuery queryDrive = QueryDriveFacts);

// Deletes the files `names` of `folder`, all or none: each through a handle that does not
// follow a reparse point, and only when it is a plain file with one link that lies in that
// very folder. False (nothing deleted) when one of them is not, or cannot be deleted now
// (in use, or still mapped as a library).
bool DeleteOwnFiles(const std::wstring& folder, const std::vector<std::wstring>& names);

// Starts the planned removal so that it outlives this process: the interpreter, suspended,
// with a standard user's rights and the system's environment; then the companion files
// deleted here; then the interpreter let go. Whatever fails leaves the folder as it is.
// Returns the interpreter's process handle (none when the folder stays).
win::UniqueKernelHandle StartFolderRemoval(const FolderRemoval& removal,
                                           const TokenCalls& calls = TokenCalls());
