#pragma once
// USB storage switched off and on through the registry API. The "usb" scope sets the USB
// storage driver's Start to 4 or 3, as the tool does; "all" also turns off the UAS driver
// (where installed) and sets the removable-storage policy's Deny_All, after saving what
// it touches, so that enable puts an administrator's own values back exactly.

#include <string>
#include <vector>

#include "system/RegistryTransaction.h"

enum class StorageScope { Usb, All };

struct StorageChangeResult {
    // Failed: nothing is left changed (refused before a write, or all rolled back).
    enum class Outcome { Done, AccessDenied, Failed, RollbackFailed };
    Outcome outcome = Outcome::Done;
    std::vector<ValueChange> changes;      // the storage values changed (or that would have been)
    std::vector<ValueChange> leftChanged;  // RollbackFailed: those that could not be put back
    std::wstring key;                      // the key refused or that failed
    LONG error = ERROR_SUCCESS;
};

StorageChangeResult DisableStorage(RegistryAccess& registry, StorageScope scope);

// Restores a saved wide-scope set (driver values only where they meant "on"; otherwise
// Start 3), deletes the set, and turns the USB storage driver on.
StorageChangeResult EnableStorage(RegistryAccess& registry);

// For the tool's Enable, after its own command has turned the driver on: the same
// restore as EnableStorage when a wide-scope set is saved, else nothing.
StorageChangeResult RestoreSavedWideScope(RegistryAccess& registry);
