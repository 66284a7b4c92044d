#include "storage/StorageChangeLock.h"

const wchar_t StorageChangeLock::kName[] = L"Global\\OmbrelStorageChange";

StorageChangeLock::StorageChangeLock(DWORD waitMs) : m_mutex(kName) {
    if (!m_mutex.IsOurs()) {
        // Made by someone else: waiting on it would let any program stop every change.
        // Where it could not be made at all, the change goes ahead as it did before.
        m_outcome = Outcome::Ignored;
        return;
    }
    const DWORD wait = ::WaitForSingleObject(m_mutex.Get(), waitMs);
    m_owned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    m_outcome = m_owned ? Outcome::Held : Outcome::Busy;
}

StorageChangeLock::~StorageChangeLock() {
    if (m_owned) ::ReleaseMutex(m_mutex.Get());
}
