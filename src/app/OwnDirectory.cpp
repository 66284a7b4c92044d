#include "app/OwnDirectory.h"

// After windows.h, which it needs.
#include <shlobj.h>

#include <cwctype>

#include "system/FinalPath.h"
#include "system/ProcessFolders.h"
#include "system/SystemEnvironment.h"
#include "system/Wow64Probe.h"
#include "system/Wow64Redirection.h"

namespace {

// Longer than any path the system hands out, so a cut path is told from a whole one.
const DWORD kPathChars = 32768;

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

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

FolderRemoval PlanFolderRemoval(const std::wstring& directory, const std::wstring& programFile,
                                const std::vector<std::wstring>& companionFiles,
                                DriveFactsQuery queryDrive) {
    FolderRemoval removal;
    const std::wstring path = NormalisedDirectory(directory);
    std::vector<std::wstring> ownFiles = companionFiles;
    ownFiles.push_back(programFile);
    std::vector<std::wstring> present;
    const std::wstring program = path + L"\\" + programFile;
    if (path.empty() || CmdWouldExpand(program) || !IsOnFixedLocalDisk(path, queryDrive(path)) ||
        IsProtectedFolder(path) || !HoldsOnly(path, ownFiles, &present)) {
        return removal;
    }
    removal.folder = path;
    for (const std::wstring& name : present) {
        if (!SameText(name, programFile)) removal.companions.push_back(name);
    }
    // The tool deletes its companions itself; the command names the program's file alone,
    // and a folder put in its place meanwhile is not emptied ("del" on a folder deletes
    // the files in it): "name\*" exists only for a folder. The condition holds the rest of
    // the line, so such a folder also keeps rmdir from running, which without /s would
    // leave a folder that is not empty anyway.
    removal.commandLine = L"cmd /D /C timeout /t 3 /nobreak & if not exist " +
                          Quoted(program + L"\\*") + L" del /f /q " + Quoted(program) +
                          L" & rmdir " + Quoted(path);
    return removal;
}

bool DeleteOwnFiles(const std::wstring& folder, const std::vector<std::wstring>& names) {
    const win::UniqueFile held(
        ::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    const std::wstring folderPath = held ? FinalPath(held.Get()) : std::wstring();
    if (folderPath.empty()) return false;
    // Each file is marked for deletion on close; one that cannot be marked unmarks the rest.
    std::vector<win::UniqueFile> marked;
    for (const std::wstring& name : names) {
        win::UniqueFile file(::CreateFileW((folder + L"\\" + name).c_str(),
                                           DELETE | FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        BY_HANDLE_FILE_INFORMATION info = {};
        FILE_DISPOSITION_INFO disposition = {TRUE};
        const bool plainOwnFile =
            file && ::GetFileInformationByHandle(file.Get(), &info) &&
            !(info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) &&
            info.nNumberOfLinks == 1 && SamePath(FinalPath(file.Get()), folderPath + L"\\" + name);
        if (!plainOwnFile || !::SetFileInformationByHandle(file.Get(), FileDispositionInfo,
                                                           &disposition, sizeof(disposition))) {
            disposition.DeleteFile = FALSE;
            for (const win::UniqueFile& kept : marked) {
                ::SetFileInformationByHandle(kept.Get(), FileDispositionInfo, &disposition,
                                             sizeof(disposition));
            }
            return false;
        }
        marked.push_back(std::move(file));
    }
    return true;  // closing the handles deletes the files
}

win::UniqueKernelHandle StartFolderRemoval(const FolderRemoval& removal, const TokenCalls& calls) {
    if (removal.commandLine.empty()) return win::UniqueKernelHandle();
    // The system's own interpreter by full path, started in the system folder: one
    // planted beside the program must never run.
    RedirectionOff redirection(IsRunningOnWow64() == 1);
    const std::wstring systemDir = SystemDirectory();
    const std::wstring environment = SystemEnvironmentBlock();
    if (!redirection.Ok() || systemDir.empty() || environment.empty()) {
        return win::UniqueKernelHandle();
    }

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
    SuspendedProcess removing = StartRestrictedSuspended(
        systemDir + L"\\cmd.exe", removal.commandLine, systemDir, flags, environment, calls);
    if (!removing) return win::UniqueKernelHandle();
    if (!DeleteOwnFiles(removal.folder, removal.companions) ||
        ::ResumeThread(removing.thread.Get()) == static_cast<DWORD>(-1)) {
        ::TerminateProcess(removing.process.Get(), 1);
        return win::UniqueKernelHandle();
    }
    return std::move(removing.process);
}
