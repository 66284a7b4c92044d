#include "app/OwnDirectoryUse.h"

#include <windows.h>

#include "app/OwnDirectory.h"
#include "log/LogSave.h"
#include "log/LogText.h"

namespace {

const DWORD kEndingWaitMs = 5000;

// Logged where an object of one of the tool's names was made by someone else.
void LogIgnored(const AdminOnlyMutex& mutex, const std::wstring& name) {
    if (mutex.From() != AdminOnlyMutex::Origin::Foreign) return;
    CLogSave::GetInstance()->WriteLog(ToLogText(L"忽略他人创建的同名对象 " + name), "Kestrum.txt",
                                      true);
}

}  // namespace

// Object names take no backslashes and are limited in length: the directory's path, in
// one case, hashed (FNV-1a). A collision only keeps a directory.
std::wstring DirectoryUseName(const std::wstring& directory) {
    std::wstring path = NormalisedDirectory(directory);
    if (path.empty()) return std::wstring();
    ::CharUpperBuffW(&path[0], static_cast<DWORD>(path.size()));
    unsigned long long hash = 14695981039346656037ull;
    for (wchar_t c : path) {
        hash = (hash ^ static_cast<unsigned long long>(c)) * 1099511628211ull;
    }
    wchar_t text[17] = {};
    ::wsprintfW(text, L"%08lx%08lx", static_cast<unsigned long>(hash >> 32),
                static_cast<unsigned long>(hash & 0xFFFFFFFFu));
    // Global: an instance in another user's session counts too.
    return L"Global\\TovricOmbrel.Directory." + std::wstring(text);
}

OwnDirectoryUse::OwnDirectoryUse(const std::wstring& directory)
    : m_name(DirectoryUseName(directory)) {
    if (m_name.empty()) return;
    m_use = std::make_unique<AdminOnlyMutex>(m_name);
    LogIgnored(*m_use, m_name);
}

bool OwnDirectoryUse::EndAndIsLast() {
    if (!m_use || m_use->From() == AdminOnlyMutex::Origin::Failed) return false;
    // Instances that end at once look in turn, so neither mistakes the other's look for a
    // use and both keep the directory.
    const std::wstring endingName = m_name + L".Ending";
    AdminOnlyMutex ending(endingName);
    LogIgnored(ending, endingName);
    if (ending.From() == AdminOnlyMutex::Origin::Failed) return false;
    if (ending.IsOurs()) {
        const DWORD wait = ::WaitForSingleObject(ending.Get(), kEndingWaitMs);
        if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return false;
    }
    m_use.reset();
    const bool last = !AdminOnlyMutex::TrustedOneExists(m_name);
    if (ending.IsOurs()) ::ReleaseMutex(ending.Get());
    return last;
}
