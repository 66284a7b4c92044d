#include "app/OwnDirectory.h"

// After windows.h, which it needs.
#include <shlobj.h>

#include <cwctype>

#include "system/ProcessFolders.h"
#include "system/Wow64Probe.h"
#include "system/Wow64Redirection.h"

namespace {

// Longer than any path the system hands out, so a cut path is told from a whole one.
const DWORD kPathChars = 32768;

std::wstring WithoutTrailingSlash(std::wstring path) {
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    return path;
}

std::wstring FullPath(const std::wstring& path) {
    std::wstring full(kPathChars, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), kPathChars, &full[0], nullptr);
    if (length == 0 || length >= kPathChars) return std::wstring();
    full.resize(length);
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

// True when `directory` holds nothing but files named in `ownFiles`; `present` gets
// their names as found.
bool HoldsOnly(const std::wstring& directory, const std::vector<std::wstring>& ownFiles,
               std::vector<std::wstring>* present) {
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
        present->push_back(name);
    } while (onlyOwn && ::FindNextFileW(search.Get(), &found));
    return onlyOwn;
}

// cmd expands %NAME% even inside quotes, and !NAME! where delayed expansion is on.
bool CmdWouldExpand(const std::wstring& text) {
    return text.find_first_of(L"%!") != std::wstring::npos;
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

}  // namespace

std::wstring NormalisedDirectory(const std::wstring& directory) {
    const std::wstring full = FullPath(directory);
    if (full.empty()) return full;
    std::wstring longPath(kPathChars, L'\0');
    const DWORD length = ::GetLongPathNameW(full.c_str(), &longPath[0], kPathChars);
    if (length == 0 || length >= kPathChars) return std::wstring();
    longPath.resize(length);
    return WithoutTrailingSlash(longPath);
}

DriveFacts QueryDriveFacts(const std::wstring& path) {
    DriveFacts facts;
    if (path.size() < 3 || path[1] != L':' || path[2] != L'\\') return facts;
    wchar_t target[MAX_PATH] = {};
    // A substitute's device is another folder's path ("\??\C:\folder").
    if (::QueryDosDeviceW(path.substr(0, 2).c_str(), target, MAX_PATH)) {
        facts.substituted = std::wstring(target).rfind(L"\\??\\", 0) == 0;
    }
    // The volume's own root: a removable disk may be mounted in a folder of a fixed one.
    wchar_t volume[MAX_PATH] = {};
    if (::GetVolumePathNameW((path + L"\\").c_str(), volume, MAX_PATH)) {
        facts.type = ::GetDriveTypeW(volume);
    }
    return facts;
}

bool IsOnFixedLocalDisk(const std::wstring& path, const DriveFacts& facts) {
    const bool driveLetterPath =
        path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\';
    return driveLetterPath && facts.type == DRIVE_FIXED && !facts.substituted;
}

bool IsProtectedFolder(const std::wstring& directory) {
    const std::wstring full = FullPath(directory);
    if (full.empty() || IsVolumeRoot(full)) return true;
    for (const std::wstring& folder : WellKnownFolders()) {
        if (SameText(folder, full)) return true;
    }
    return false;
}

std::wstring RemovalCommandLine(const std::wstring& directory,
                                const std::vector<std::wstring>& ownFiles,
                                DriveFactsQuery queryDrive) {
    const std::wstring path = NormalisedDirectory(directory);
    std::vector<std::wstring> present;
    if (path.empty() || CmdWouldExpand(path) || !IsOnFixedLocalDisk(path, queryDrive(path)) ||
        IsProtectedFolder(path) || !HoldsOnly(path, ownFiles, &present)) {
        return std::wstring();
    }

    // Deleting by name leaves whatever is saved into the folder during the wait, and
    // rmdir without /s then leaves the folder with it.
    std::wstring command = L"cmd /D /C timeout /t 3 /nobreak";
    for (const std::wstring& name : present) {
        const std::wstring file = path + L"\\" + name;
        if (CmdWouldExpand(file)) return std::wstring();
        command += L" & del /f /q " + Quoted(file);
    }
    return command + L" & rmdir " + Quoted(path);
}

win::UniqueKernelHandle StartRemoval(std::wstring commandLine) {
    if (commandLine.empty()) return win::UniqueKernelHandle();
    // The system's own interpreter by full path, started in the system folder: one
    // planted beside the program must never run elevated.
    RedirectionOff redirection(IsRunningOnWow64() == 1);
    const std::wstring systemDir = SystemDirectory();
    if (!redirection.Ok() || systemDir.empty()) return win::UniqueKernelHandle();
    const std::wstring interpreter = systemDir + L"\\cmd.exe";

    // A console of its own but no window: timeout needs one as its input.
    DWORD flags = CREATE_NO_WINDOW;
    BOOL inJob = FALSE;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    if (::IsProcessInJob(::GetCurrentProcess(), nullptr, &inJob) && inJob &&
        ::QueryInformationJobObject(nullptr, JobObjectExtendedLimitInformation, &limits,
                                    sizeof(limits), nullptr) &&
        (limits.BasicLimitInformation.LimitFlags & JOB_OBJECT_LIMIT_BREAKAWAY_OK)) {
        flags |= CREATE_BREAKAWAY_FROM_JOB;  // it must outlive a job that ends with us
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(interpreter.c_str(), &commandLine[0], nullptr, nullptr, FALSE, flags,
                          nullptr, systemDir.c_str(), &startup, &process)) {
        return win::UniqueKernelHandle();
    }
    const win::UniqueKernelHandle thread(process.hThread);  // not needed
    return win::UniqueKernelHandle(process.hProcess);
}
