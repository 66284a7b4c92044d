#pragma once
// The folders this process is tied to: the one its program file lies in, and the system's.

#include <string>

// The directory of the program's file, without a trailing backslash; empty when the
// program's path does not fit the system's limit.
std::wstring ProgramDirectory();
// The name of the program's file, without its directory.
std::wstring ProgramFileName();

// The system folder ("...\system32"); on the WOW64 road, while redirection is off, the
// interpreter found there is the 64-bit one.
std::wstring SystemDirectory();
