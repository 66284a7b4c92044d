#pragma once
// The environment of the tool's child processes, built from the system's own folders
// instead of inherited: the user's own variables (HKCU\Environment) would otherwise decide
// which reg or timeout the elevated interpreter finds.

#include <string>

// A Unicode environment block for CreateProcess (each "NAME=value" ends with a zero, the
// block with one more): SystemRoot, windir, SystemDrive, ComSpec, Path (the system folder,
// the Windows folder and Wbem), PATHEXT and TEMP/TMP (the Windows folder's Temp). Names
// only Wine reads are passed on where this process has them; Windows ignores them. Empty
// when the system's folders cannot be had.
std::wstring SystemEnvironmentBlock();
