#pragma once
// What USB storage switching covers, read from the machine: the USB storage driver, the
// UAS driver that Windows 8 and later use for fast USB 3 drives, the removable-storage
// policy values, and the USB volumes mounted now.

#include <string>
#include <vector>

#include "system/MachineRegistry.h"
#include "system/VolumeProbe.h"

const wchar_t kUasKey[] = L"SYSTEM\\CurrentControlSet\\Services\\UASPStor";
const wchar_t kPolicyKey[] = L"SOFTWARE\\Policies\\Microsoft\\Windows\\RemovableStorageDevices";
const wchar_t kDenyAllValue[] = L"Deny_All";
const wchar_t kDenyReadValue[] = L"Deny_Read";
const wchar_t kDenyWriteValue[] = L"Deny_Write";
// The policy's device classes: removable disks, and the two of phones and cameras (WPD).
const wchar_t kRemovableDiskClass[] = L"{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";
const wchar_t* const kPortableClasses[] = {L"{6AC27878-A6FA-4155-BA85-F98F491D4F33}",
                                           L"{F33FDC04-D1AC-4E8E-9A30-19BBD4B108AE}"};
// Values saved by a wide-scope disable, until enable puts them back.
const wchar_t kSavedParentKey[] = L"SOFTWARE\\Ombrel";
const wchar_t kSavedKey[] = L"SOFTWARE\\Ombrel\\Saved";

enum class DriverState { On, Off, Unknown, NotInstalled };

// Start 0 to 3 loads the driver, 4 never does; anything else (or nothing) is unknown.
DriverState StateOfStart(const RegistryValue& start);

struct CoverageState {
    RegistryValue usbStorStart;
    bool uasInstalled = false;
    RegistryValue uasStart;
    // Deny values in force (DWORD 1): "deny-all", "removable-read", "removable-write",
    // "portable-read", "portable-write".
    std::vector<std::wstring> policy;
    bool portableBlocked = false;     // no phone or camera can be read
    std::vector<wchar_t> mountedUsb;  // drive letters
    bool replugPending = false;       // storage is off or read-only but a volume works on

    DriverState Usb() const { return StateOfStart(usbStorStart); }
    DriverState Uas() const {
        return uasInstalled ? StateOfStart(uasStart) : DriverState::NotInstalled;
    }
    bool DeniesAll() const;
    // USB storage readable, not writable: the drivers on, removable disks' writing denied,
    // their reading not.
    bool ReadOnly() const;
    bool Has(const wchar_t* policyToken) const;
};

CoverageState ReadCoverage(RegistryAccess& registry, VolumeProbe& volumes);

// A USB disk reports fixed; a removable drive on SCSI or an unknown bus may be a USB
// stick (Wine answers SCSI for all), while built-in SD and MMC readers are not USB.
bool CountsAsUsbVolume(const VolumeInfo& volume);
std::vector<wchar_t> MountedUsbVolumes(VolumeProbe& volumes);

// True only when the system volume's bus is known to be USB: switching storage off
// would leave that Windows unable to start.
bool SystemRunsFromUsb(VolumeProbe& volumes);
