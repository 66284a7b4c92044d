#pragma once
// The removal of the program's own directory when the tool ends: which directories may
// go, and the command that removes one after the program has exited.

#include <string>
#include <vector>

// The directory of the program's file, without a trailing backslash.
std::wstring ProgramDirectory();
// The name of the program's file, without its directory.
std::wstring ProgramFileName();

// True only for a directory that holds nothing but `ownFiles` (names, any case) and is
// neither a drive root nor one of the system's well-known folders.
bool IsRemovableOwnDirectory(const std::wstring& directory,
                             const std::vector<std::wstring>& ownFiles);

// Drive roots and the system's well-known folders (Windows, system, program files,
// program data, the user profile, desktop, documents, downloads, temp...), in any case
// and with or without a trailing backslash.
bool IsProtectedFolder(const std::wstring& directory);

// The interpreter's parameters: wait 3 s (the program has ended by then), then remove
// the directory, quoted so blanks in its path stay one argument.
std::wstring RemovalParameters(const std::wstring& directory);
