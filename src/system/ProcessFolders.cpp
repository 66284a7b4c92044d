#include "system/ProcessFolders.h"

#include <windows.h>

namespace {

// Longer than any path the system hands out, so a cut path is told from a whole one.
const DWORD kPathChars = 32768;

std::wstring ProgramPath() {
    std::wstring path(kPathChars, L'\0');
    const DWORD length = ::GetModuleFileNameW(nullptr, &path[0], kPathChars);
    // A cut path would name a parent directory.
    if (length == 0 || length >= kPathChars) return std::wstring();
    path.resize(length);
    return path;
}

}  // namespace

std::wstring ProgramDirectory() {
    const std::wstring path = ProgramPath();
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring ProgramFileName() {
    const std::wstring path = ProgramPath();
    return path.substr(path.rfind(L'\\') + 1);
}

std::wstring SystemDirectory() {
    wchar_t path[MAX_PATH] = {};
    UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    return std::wstring(path, length);
}
