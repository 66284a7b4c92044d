#include "storage/StorageCoverage.h"

#include "storage/StorageState.h"

namespace {

const wchar_t kRemovableDiskClass[] = L"{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";
const wchar_t* const kPortableClasses[] = {L"{6AC27878-A6FA-4155-BA85-F98F491D4F33}",
                                           L"{F33FDC04-D1AC-4E8E-9A30-19BBD4B108AE}"};

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

bool CoverageState::DeniesAll() const {
    for (const std::wstring& token : policy) {
        if (token == L"deny-all") return true;
    }
    return false;
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
    if (Denies(registry, disk, L"Deny_Read")) state.policy.push_back(L"removable-read");
    if (Denies(registry, disk, L"Deny_Write")) state.policy.push_back(L"removable-write");
    bool anyRead = false, anyWrite = false, allRead = true;
    for (const wchar_t* portableClass : kPortableClasses) {
        const std::wstring key = policy + L"\\" + portableClass;
        const bool read = Denies(registry, key, L"Deny_Read");
        anyRead = anyRead || read;
        allRead = allRead && read;
        anyWrite = anyWrite || Denies(registry, key, L"Deny_Write");
    }
    if (anyRead) state.policy.push_back(L"portable-read");
    if (anyWrite) state.policy.push_back(L"portable-write");
    state.portableBlocked = denyAll || allRead;

    state.mountedUsb = MountedUsbVolumes(volumes);
    state.replugPending = state.Usb() == DriverState::Off && !state.mountedUsb.empty();
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
