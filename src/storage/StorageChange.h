#pragma once
// USB storage switched through the registry API, as ombrel.exe and the tool's own steps do
// it. Every value is saved under HKLM\SOFTWARE\Ombrel\Saved before its first change, once,
// and enable puts back exactly what was saved, so that an administrator's own values are
// never lost: the USB storage driver's and the UAS driver's Start, the removable-storage
// policy's Deny_All, and Deny_Write of removable disks and of both portable-device classes.

#include <string>
#include <vector>

#include "system/MachineRegistry.h"
#include "system/RegistryTransaction.h"

// usb: both USB storage drivers (the UAS driver where installed); all: also the policy's
// Deny_All, which closes CD/DVD and phones too.
enum class StorageScope { Usb, All };

struct StorageChangeResult {
    // Failed: nothing is left changed (refused before a write, or all rolled back).
    enum class Outcome { Done, AccessDenied, Failed, RollbackFailed, ReadDenied };
    Outcome outcome = Outcome::Done;
    std::vector<ValueChange> changes;      // the storage values changed (or that would have been)
    std::vector<ValueChange> leftChanged;  // RollbackFailed: those that could not be put back
    std::wstring key;                      // the key refused or that failed
    LONG error = ERROR_SUCCESS;
};

// Apply: the change is made. CheckRights: nothing is written; the outcome is Done or
// AccessDenied (or Failed for a value that cannot be read), as the change would begin.
enum class ChangeMode { Apply, CheckRights };

// Both drivers off (the UAS driver only where installed; its key is never created); with
// the wide scope also the policy's Deny_All.
StorageChangeResult DisableStorage(RegistryAccess& registry, StorageScope scope,
                                   ChangeMode mode = ChangeMode::Apply);

// USB storage readable, not writable: both drivers on (Start 3 where it is 4), Deny_All as
// it was before any change of ours, and Deny_Write on removable disks and portable devices.
// Outcome ReadDenied, nothing changed, when a policy of the administrator's own still
// denies reading (Deny_All, or Deny_Read on removable disks).
StorageChangeResult ReadOnlyStorage(RegistryAccess& registry, ChangeMode mode = ChangeMode::Apply);

// Puts back every saved value (a driver's Start only where it meant "on": 0 to 3, else 3)
// and deletes the saved set; a driver left off and not saved is turned on (3), and a missing
// USB storage driver Start is written as 3.
StorageChangeResult EnableStorage(RegistryAccess& registry, ChangeMode mode = ChangeMode::Apply);

// The policy values that a change of ours set and that deny now, as the status names them
// ("deny-all", "removable-write", "portable-write"): an administrator's own are not ours.
std::vector<std::wstring> OurDenials(RegistryAccess& registry);

// The tool's Disable, around its reg command (which writes the USB storage driver's
// Start): before it, the prior value is saved (unless saved already); after a successful
// command, the UAS driver follows; after a failed one, or when the UAS driver cannot
// follow, everything is put back as it was.
class ToolDisable {
public:
    explicit ToolDisable(RegistryAccess& registry) : m_registry(registry) {}
    // Before the command: false when the prior value could not be saved (nothing changed).
    bool SaveBeforeCommand();
    // After the command succeeded: false (and the command's value put back) when the UAS
    // driver cannot be turned off too; the UAS driver's change in *changes.
    bool FinishAfterCommand(std::vector<ValueChange>* changes);
    // After the command failed: whatever this run saved is removed again.
    void UndoAfterFailedCommand();

private:
    void PutBack();

    RegistryAccess& m_registry;
    RegistryValue m_prior;  // the USB storage driver's Start before the command
    bool m_savedNow = false;
};
