#include "app/OwnDirectoryUse.h"

#include <windows.h>

#include "app/OwnDirectory.h"

namespace {

const DWORD kEndingWaitMs = 5000;

// Object names take no backslashes and are limited in length: the directory's path, in
// one case, hashed (FNV-1a). A collision only keeps a directory.
std::wstring NameFor(const std::wstring& directory) {
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

}  // namespace

OwnDirectoryUse::OwnDirectoryUse(const std::wstring& directory) : m_name(NameFor(directory)) {
    if (!m_name.empty()) m_use.Reset(::CreateMutexW(nullptr, FALSE, m_name.c_str()));
}

bool OwnDirectoryUse::EndAndIsLast() {
    if (!m_use) return false;
    // Instances that end at once look in turn, so neither mistakes the other's look for a
    // use and both keep the directory.
    win::UniqueKernelHandle ending(::CreateMutexW(nullptr, FALSE, (m_name + L".Ending").c_str()));
    if (!ending) return false;
    const DWORD wait = ::WaitForSingleObject(ending.Get(), kEndingWaitMs);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return false;
    m_use.Reset();
    win::UniqueKernelHandle other(::OpenMutexW(SYNCHRONIZE, FALSE, m_name.c_str()));
    const bool last = !other && ::GetLastError() == ERROR_FILE_NOT_FOUND;
    ::ReleaseMutex(ending.Get());
    return last;
}
