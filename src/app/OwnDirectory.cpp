#include "app/OwnDirectory.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include "win/UniqueHandle.h"

namespace {

std::wstring WithoutTrailingSlash(std::wstring path) {
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    return path;
}

std::wstring FullPath(const std::wstring& path) {
    wchar_t full[MAX_PATH * 2] = {};
    const DWORD length = ::GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
    if (length == 0 || length >= MAX_PATH * 2) return std::wstring();
    return WithoutTrailingSlash(full);
}

bool SameText(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool IsVolumeRoot(const std::wstring& directory) {
    wchar_t volume[MAX_PATH] = {};
    if (!::GetVolumePathNameW((directory + L"\\").c_str(), volume, MAX_PATH)) return true;
    return SameText(WithoutTrailingSlash(volume), directory) || directory.size() <= 2;
}

std::vector<std::wstring> WellKnownFolders() {
    std::vector<std::wstring> folders;
    const int ids[] = {CSIDL_WINDOWS,       CSIDL_SYSTEM,           CSIDL_SYSTEMX86,
                       CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_COMMON_APPDATA,
                       CSIDL_PROFILE,       CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY,
                       CSIDL_PERSONAL,      CSIDL_COMMON_DOCUMENTS, CSIDL_APPDATA,
                       CSIDL_LOCAL_APPDATA};
    for (int id : ids) {
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(::SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path))) {
            folders.push_back(FullPath(path));
        }
    }
    PWSTR downloads = nullptr;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &downloads))) {
        folders.push_back(FullPath(downloads));
    }
    ::CoTaskMemFree(downloads);
    wchar_t temp[MAX_PATH] = {};
    if (::GetTempPathW(MAX_PATH, temp)) folders.push_back(FullPath(temp));
    return folders;
}

bool HoldsOnly(const std::wstring& directory, const std::vector<std::wstring>& ownFiles) {
    WIN32_FIND_DATAW found;
    win::UniqueFind search(::FindFirstFileW((directory + L"\\*").c_str(), &found));
    if (!search) return false;
    bool onlyOwn = true;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const bool isFile = !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        bool listed = false;
        for (const std::wstring& ownFile : ownFiles) listed = listed || SameText(name, ownFile);
        if (!isFile || !listed) onlyOwn = false;
    } while (onlyOwn && ::FindNextFileW(search.Get(), &found));
    return onlyOwn;
}

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
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

bool IsRemovableOwnDirectory(const std::wstring& directory,
                             const std::vector<std::wstring>& ownFiles) {
    const std::wstring full = FullPath(directory);
    const DWORD attributes =
        full.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return false;
    }
    return !IsProtectedFolder(full) && HoldsOnly(full, ownFiles);
}

bool IsProtectedFolder(const std::wstring& directory) {
    const std::wstring full = FullPath(directory);
    if (full.empty() || IsVolumeRoot(full)) return true;
    for (const std::wstring& folder : WellKnownFolders()) {
        if (SameText(folder, full)) return true;
    }
    return false;
}

std::wstring RemovalParameters(const std::wstring& directory) {
    return L"/C timeout /t 3 /nobreak & rmdir /s /q \"" + directory + L"\"";
}
