#pragma once
// Where an open file or folder really is: the path the system resolves for its handle,
// links and junctions followed, so a name swapped after a check is caught.

#include <windows.h>

#include <string>

// "\\?\C:\..." for what `handle` opened; empty on failure.
std::wstring FinalPath(HANDLE handle);

// The same path in any case; never true for an empty one.
bool SamePath(const std::wstring& a, const std::wstring& b);
