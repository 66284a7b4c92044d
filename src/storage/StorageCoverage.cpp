#include "storage/StorageCoverage.h"

#include "storage/StorageState.h"

namespace {

bool Denies(RegistryAccess& registry, const std::wstring& key, const wchar_t* name) {
    RegistryValue value;
    DWORD number = 0;
    return registry.Read(key, name, &value) == ERROR_SUCCESS && value.AsDword(&number) &&
           number == 1;
}

}  // namespace

DriverState StateOfStart(const RegistryValue& start) {
    DWORD number = 0;
    if (!start.AsDword(&number) || number > kStartDisabled) return DriverState::Unknown;
    return number == kStartDisabled ? DriverState::Off : DriverState::On;
}

bool CoverageState::DeniesAll() const { return Has(L"deny-all"); }

bool CoverageState::Has(const wchar_t* policyToken) const {
    for (const std::wstring& token : policy) {
        if (token == policyToken) return true;
    }
    return false;
}

bool CoverageState::ReadOnly() const {
    const DriverState uas = Uas();
    return Usb() == DriverState::On &&
           (uas == DriverState::On || uas == DriverState::NotInstalled) &&
           Has(L"removable-write") && !Has(L"removable-read") && !DeniesAll();
}

CoverageState ReadCoverage(RegistryAccess& registry, VolumeProbe& volumes) {
    CoverageState state;
    registry.Read(kUsbStorKey, kUsbStorStartValue, &state.usbStorStart);
    state.uasInstalled = registry.KeyExists(kUasKey);
    if (state.uasInstalled) registry.Read(kUasKey, kUsbStorStartValue, &state.uasStart);

    const std::wstring policy = kPolicyKey;
    const bool denyAll = Denies(registry, policy, kDenyAllValue);
    if (denyAll) state.policy.push_back(L"deny-all");
    const std::wstring disk = policy + L"\\" + kRemovableDiskClass;
    if (Denies(registry, disk, kDenyReadValue)) state.policy.push_back(L"removable-read");
    if (Denies(registry, disk, kDenyWriteValue)) state.policy.push_back(L"removable-write");
    bool anyRead = false, anyWrite = false, allRead = true;
    for (const wchar_t* portableClass : kPortableClasses) {
        const std::wstring key = policy + L"\\" + portableClass;
        const bool read = Denies(registry, key, kDenyReadValue);
        anyRead = anyRead || read;
        allRead = allRead && read;
        anyWrite = anyWrite || Denies(registry, key, kDenyWriteValue);
    }
    if (anyRead) state.policy.push_back(L"portable-read");
    if (anyWrite) state.policy.push_back(L"portable-write");
    state.portableBlocked = denyAll || allRead;

    state.mountedUsb = MountedUsbVolumes(volumes);
    state.replugPending =
        (state.Usb() == DriverState::Off || state.ReadOnly()) && !state.mountedUsb.empty();
    return state;
}

bool CountsAsUsbVolume(const VolumeInfo& volume) {
    if (volume.busKnown && volume.bus == BusTypeUsb) return true;
    if (volume.driveType != DRIVE_REMOVABLE) return false;
    return !volume.busKnown || volume.bus == BusTypeScsi || volume.bus == BusTypeUnknown;
}

std::vector<wchar_t> MountedUsbVolumes(VolumeProbe& volumes) {
    std::vector<wchar_t> letters;
    for (const VolumeInfo& volume : volumes.Volumes()) {
        if (CountsAsUsbVolume(volume)) letters.push_back(volume.letter);
    }
    return letters;
}

bool SystemRunsFromUsb(VolumeProbe& volumes) {
    const VolumeInfo system = volumes.SystemVolume();
    return system.busKnown && system.bus == BusTypeUsb;
}
