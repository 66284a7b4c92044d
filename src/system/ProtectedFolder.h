#pragma once
// The tool's own folders under the machine-wide application data folder, where any
// standard user may create a folder first. A folder is written into only when nobody
// else can have planted it, and a file in it only when it is a plain file of that folder,
// so an elevated write or move never lands on a file someone else chose.

#include <windows.h>

#include <string>
#include <vector>

#include "win/UniqueHandle.h"

enum class FolderVerdict {
    Refuse,            // a reparse point, not a folder, or owned by an untrusted account
    Write,             // trusted owner, and nobody else may put files in it
    ProtectThenWrite,  // trusted owner, but its list lets others create or replace files
};

// The accounts trusted to own what the tool reads, writes into or waits on: SYSTEM,
// Administrators, TrustedInstaller, and `ownOwner`, the owner this process's own new files
// or objects get (may be null).
bool IsTrustedAccount(PSID sid, PSID ownOwner);

// Judges an existing folder by its attributes and descriptor (owner and list): its owner
// and whoever may put files in it must be trusted accounts.
FolderVerdict JudgeFolder(DWORD attributes, PSECURITY_DESCRIPTOR descriptor, PSID ownFileOwner);

// The descriptor the tool gives its folders: owner Administrators and a protected list
// of full control for SYSTEM and Administrators and read for Users, inherited inside.
class CProtectedDescriptor {
public:
    CProtectedDescriptor();
    CProtectedDescriptor(const CProtectedDescriptor&) = delete;
    CProtectedDescriptor& operator=(const CProtectedDescriptor&) = delete;

    PSECURITY_DESCRIPTOR Get() { return &m_descriptor; }
    PACL List() { return reinterpret_cast<PACL>(m_list); }

private:
    static const size_t kListSize =
        sizeof(ACL) + 3 * (sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE);

    BYTE m_system[SECURITY_MAX_SID_SIZE];
    BYTE m_admins[SECURITY_MAX_SID_SIZE];
    BYTE m_users[SECURITY_MAX_SID_SIZE];
    alignas(DWORD) BYTE m_list[kListSize];
    SECURITY_DESCRIPTOR m_descriptor;
};

// Judges an existing file to be read for settings: a plain file (no reparse point, one
// link) whose owner is trusted as JudgeFolder trusts a folder's.
bool JudgeFile(const BY_HANDLE_FILE_INFORMATION& info, PSECURITY_DESCRIPTOR descriptor,
               PSID ownFileOwner);

// Opens `path` to read it, held so that nobody may write, rename or delete it meanwhile;
// invalid when it is missing or JudgeFile refuses it.
win::UniqueFile OpenTrustedFile(const std::wstring& path, PSID ownFileOwner);

// The owner this process's new files get, read from a delete-on-close file it creates in
// `folder` (an elevated process's files belong to Administrators). The folder is the one
// whose contents are judged: a folder the user names (such as %TMP%) could give another
// owner. Null when none could be made.
class CNewFileOwner {
public:
    explicit CNewFileOwner(const std::wstring& folder);
    PSID Get() const { return m_sid.empty() ? nullptr : const_cast<BYTE*>(m_sid.data()); }

private:
    std::vector<BYTE> m_sid;
};

// Creates the folder (its last level only) with the protected descriptor when nothing of
// that name exists; an existing one is left to CProtectedFolder's judgement.
void CreateProtectedFolder(const std::wstring& path);

// An existing folder, judged and held open while files in it are written: without delete
// sharing it cannot be renamed or replaced meanwhile.
class CProtectedFolder {
public:
    // `path` without a trailing backslash. Refused (IsOpen false) when JudgeFolder says so;
    // a list that lets others in is reset, and the folder is written even if that fails.
    CProtectedFolder(const std::wstring& path, PSID ownFileOwner);

    bool IsOpen() const { return m_folder.IsValid(); }

    // Opens `name` in the folder to append to it (writes always go to the end), creating
    // it when missing. Invalid when the folder was refused, or the file is a reparse point,
    // has another link, or does not lie in this very folder.
    win::UniqueFile OpenForAppend(const std::wstring& name) const;

    // Renames the open file `file` of this folder to `newName` in this folder, replacing a
    // file of that name: the file moved is the one behind the handle, whatever now bears
    // its old name. False when it is shared without delete access or the rename fails.
    bool Rename(HANDLE file, const std::wstring& newName) const;

private:
    std::wstring m_path;
    std::wstring m_finalPath;  // where the held folder really is
    win::UniqueFile m_folder;
};
