#include "system/ProtectedFolder.h"

#include <aclapi.h>
#include <winternl.h>

#include <cstring>

#include "system/FinalPath.h"

namespace {

// Rights on a folder that let their holder put a file of their choice into it, directly
// or by replacing the folder (DELETE: renamed away, since users may create its sibling).
const DWORD kCreateOrReplaceRights = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | DELETE | WRITE_DAC |
                                     WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsTrustedInstaller(PSID sid) {
    static const DWORD kParts[] = {80, 956008885, 3418522649, 1831038044, 1853292631, 2271478464};
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    BYTE installer[SECURITY_MAX_SID_SIZE];
    ::InitializeSid(installer, &nt, 6);
    for (DWORD i = 0; i < 6; ++i) *::GetSidSubAuthority(installer, i) = kParts[i];
    return ::EqualSid(sid, installer) != FALSE;
}

// Deny entries are not weighed: at worst a safe list is reset to the tool's own.
bool LetsOthersIn(PACL list, PSID ownFileOwner) {
    if (!list) return true;  // no list: everyone may do anything
    for (DWORD i = 0; i < list->AceCount; ++i) {
        void* entry = nullptr;
        if (!::GetAce(list, i, &entry)) return true;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE)) {
            continue;
        }
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if ((allowed->Mask & kCreateOrReplaceRights) &&
            !IsTrustedAccount(&allowed->SidStart, ownFileOwner)) {
            return true;
        }
    }
    return false;
}

void ResetList(HANDLE folder) {
    win::UniqueFile writable(
        ::ReOpenFile(folder, READ_CONTROL | WRITE_DAC, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT));
    if (!writable) return;
    CProtectedDescriptor descriptor;
    ::SetSecurityInfo(writable.Get(), SE_FILE_OBJECT,
                      DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                      nullptr, descriptor.List(), nullptr);
}

}  // namespace

bool IsTrustedAccount(PSID sid, PSID ownOwner) {
    return ::IsWellKnownSid(sid, WinLocalSystemSid) ||
           ::IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsTrustedInstaller(sid) ||
           (ownOwner && ::EqualSid(sid, ownOwner));
}

FolderVerdict JudgeFolder(DWORD attributes, PSECURITY_DESCRIPTOR descriptor, PSID ownFileOwner) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return FolderVerdict::Refuse;
    }
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    if (!::GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) || !owner ||
        !IsTrustedAccount(owner, ownFileOwner)) {
        return FolderVerdict::Refuse;
    }
    BOOL present = FALSE;
    PACL list = nullptr;
    if (!::GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted)) {
        return FolderVerdict::Refuse;
    }
    return LetsOthersIn(present ? list : nullptr, ownFileOwner) ? FolderVerdict::ProtectThenWrite
                                                                : FolderVerdict::Write;
}

CProtectedDescriptor::CProtectedDescriptor() {
    DWORD size = sizeof(m_system);
    ::CreateWellKnownSid(WinLocalSystemSid, nullptr, m_system, &size);
    size = sizeof(m_admins);
    ::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, m_admins, &size);
    size = sizeof(m_users);
    ::CreateWellKnownSid(WinBuiltinUsersSid, nullptr, m_users, &size);

    const DWORD inherited = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    ::InitializeAcl(List(), sizeof(m_list), ACL_REVISION);
    ::AddAccessAllowedAceEx(List(), ACL_REVISION, inherited, FILE_ALL_ACCESS, m_system);
    ::AddAccessAllowedAceEx(List(), ACL_REVISION, inherited, FILE_ALL_ACCESS, m_admins);
    ::AddAccessAllowedAceEx(List(), ACL_REVISION, inherited, FILE_GENERIC_READ, m_users);

    ::InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION);
    ::SetSecurityDescriptorOwner(&m_descriptor, m_admins, FALSE);
    ::SetSecurityDescriptorDacl(&m_descriptor, TRUE, List(), FALSE);
    ::SetSecurityDescriptorControl(&m_descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
}

bool JudgeFile(const BY_HANDLE_FILE_INFORMATION& info, PSECURITY_DESCRIPTOR descriptor,
               PSID ownFileOwner) {
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    return !(info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) &&
           info.nNumberOfLinks == 1 &&
           ::GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) && owner != nullptr &&
           IsTrustedAccount(owner, ownFileOwner);
}

win::UniqueFile OpenTrustedFile(const std::wstring& path, PSID ownFileOwner) {
    win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ | READ_CONTROL, FILE_SHARE_READ,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                                       nullptr));
    BY_HANDLE_FILE_INFORMATION info = {};
    win::UniqueLocal descriptor;
    if (!file || !::GetFileInformationByHandle(file.Get(), &info) ||
        ::GetSecurityInfo(file.Get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, nullptr, nullptr,
                          nullptr, nullptr, descriptor.Put()) != ERROR_SUCCESS ||
        !JudgeFile(info, descriptor.Get(), ownFileOwner)) {
        return win::UniqueFile();
    }
    return file;
}

CNewFileOwner::CNewFileOwner(const std::wstring& folder) {
    std::wstring base = folder;
    while (!base.empty() && base.back() == L'\\') base.pop_back();
    if (base.empty()) return;
    win::UniqueFile probe;
    for (unsigned attempt = 0; attempt < 100 && !probe; ++attempt) {
        const std::wstring name = base + L"\\ombrel-owner-" +
                                  std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(::GetTickCount() + attempt) + L".tmp";
        probe.Reset(::CreateFileW(
            name.c_str(), READ_CONTROL | DELETE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT,
            nullptr));
        if (!probe && ::GetLastError() != ERROR_FILE_EXISTS) return;
    }
    PSID owner = nullptr;
    win::UniqueLocal descriptor;
    if (!probe || ::GetSecurityInfo(probe.Get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                                    nullptr, nullptr, nullptr, descriptor.Put()) != ERROR_SUCCESS) {
        return;
    }
    const BYTE* bytes = static_cast<const BYTE*>(owner);
    m_sid.assign(bytes, bytes + ::GetLengthSid(owner));
}

void CreateProtectedFolder(const std::wstring& path) {
    CProtectedDescriptor descriptor;
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor.Get(), FALSE};
    ::CreateDirectoryW(path.c_str(), &attributes);  // fails when something of that name exists
}

CProtectedFolder::CProtectedFolder(const std::wstring& path, PSID ownFileOwner) : m_path(path) {
    // No delete sharing: the folder cannot be renamed away or removed while held.
    win::UniqueFile folder(::CreateFileW(path.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                         nullptr));
    BY_HANDLE_FILE_INFORMATION info = {};
    win::UniqueLocal descriptor;
    if (!folder || !::GetFileInformationByHandle(folder.Get(), &info) ||
        ::GetSecurityInfo(folder.Get(), SE_FILE_OBJECT,
                          OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr, nullptr,
                          nullptr, nullptr, descriptor.Put()) != ERROR_SUCCESS) {
        return;
    }
    const FolderVerdict verdict =
        JudgeFolder(info.dwFileAttributes, descriptor.Get(), ownFileOwner);
    if (verdict == FolderVerdict::Refuse) return;
    if (verdict == FolderVerdict::ProtectThenWrite) ResetList(folder.Get());
    m_finalPath = FinalPath(folder.Get());
    if (!m_finalPath.empty()) m_folder = std::move(folder);
}

win::UniqueFile CProtectedFolder::OpenForAppend(const std::wstring& name) const {
    if (!IsOpen()) return win::UniqueFile();
    // Append, not write access: every write goes to the end as one piece, even across
    // processes. Read access lets the caller lock a byte range.
    win::UniqueFile file(
        ::CreateFileW((m_path + L"\\" + name).c_str(),
                      FILE_APPEND_DATA | FILE_READ_DATA | FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!file || !::GetFileInformationByHandle(file.Get(), &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
        info.nNumberOfLinks != 1 || !SamePath(FinalPath(file.Get()), m_finalPath + L"\\" + name)) {
        return win::UniqueFile();
    }
    return file;
}

bool CProtectedFolder::Rename(HANDLE file, const std::wstring& newName) const {
    win::UniqueFile deletable(::ReOpenFile(file, DELETE, kShareAll, FILE_FLAG_OPEN_REPARSE_POINT));
    if (!deletable) return false;
    // The system call itself: its target is a name relative to the held folder, where the
    // library call may read a bare name against the current folder instead.
    const DWORD nameBytes = static_cast<DWORD>(newName.size() * sizeof(wchar_t));
    std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());  // same layout
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = m_folder.Get();
    rename->FileNameLength = nameBytes;
    std::memcpy(rename->FileName, newName.data(), nameBytes);
    IO_STATUS_BLOCK status = {};
    return NT_SUCCESS(::NtSetInformationFile(deletable.Get(), &status, rename,
                                             static_cast<ULONG>(buffer.size()),
                                             FileRenameInformation));
}
