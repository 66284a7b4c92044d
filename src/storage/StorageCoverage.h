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
    bool replugPending = false;       // storage is off but a USB volume still works

    DriverState Usb() const { return StateOfStart(usbStorStart); }
    DriverState Uas() const {
        return uasInstalled ? StateOfStart(uasStart) : DriverState::NotInstalled;
    }
    bool DeniesAll() const;
};

CoverageState ReadCoverage(RegistryAccess& registry, VolumeProbe& volumes);

// A USB disk reports fixed; a removable drive on SCSI or an unknown bus may be a USB
// stick (Wine answers SCSI for all), while built-in SD and MMC readers are not USB.
bool CountsAsUsbVolume(const VolumeInfo& volume);
std::vector<wchar_t> MountedUsbVolumes(VolumeProbe& volumes);

// True only when the system volume's bus is known to be USB: switching storage off
// would leave that Windows unable to start.
bool SystemRunsFromUsb(VolumeProbe& volumes);
