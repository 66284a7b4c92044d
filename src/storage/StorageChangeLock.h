#pragma once
// One change of USB storage at a time on the machine, whoever makes it (the tool, ombrel.exe
// from a script, a remediation): a named mutex that only SYSTEM and administrators may open.
// Two changes at once could each save half of the values and lose the rest.

#include <windows.h>

#include "system/AdminOnlyMutex.h"

class StorageChangeLock {
public:
    enum class Outcome {
        Held,     // this change may go ahead
        Busy,     // another change held it for the whole wait
        Ignored,  // the name was made by someone else: the change goes ahead without it
    };
    // Waits up to `waitMs` for the lock. An abandoned lock (its holder ended) counts as held.
    explicit StorageChangeLock(DWORD waitMs);
    ~StorageChangeLock();
    StorageChangeLock(const StorageChangeLock&) = delete;
    StorageChangeLock& operator=(const StorageChangeLock&) = delete;

    Outcome Result() const { return m_outcome; }
    bool MayChange() const { return m_outcome != Outcome::Busy; }

    static const wchar_t kName[];

private:
    AdminOnlyMutex m_mutex;
    Outcome m_outcome = Outcome::Busy;
    bool m_owned = false;
};
