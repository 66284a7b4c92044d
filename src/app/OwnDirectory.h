#pragma once
// The removal of the program's own directory when the tool ends: which directories may
// go, and the command that removes one after the program has exited.

#include <windows.h>

#include <string>
#include <vector>

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

// The interpreter's command line that waits 3 s (the program has ended by then), deletes
// those of `ownFiles` that are there by their full quoted names, then removes the folder
// only if that left it empty. Empty when the folder must stay: a path `cmd` would
// expand (% or !), not on a fixed local disk, a protected folder, or one that holds
// anything but `ownFiles` (names, any case). Every check judges the very path the
// command names.
std::wstring RemovalCommandLine(const std::wstring& directory,
                                const std::vector<std::wstring>& ownFiles,
                                DriveFactsQuery queryDrive = QueryDriveFacts);

// Starts the system's interpreter with `commandLine`, hidden, so that it outlives this
// process; returns its process handle (none when it could not be started).
win::UniqueKernelHandle StartRemoval(std::wstring commandLine);
