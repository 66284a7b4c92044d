#include "system/VolumeProbe.h"

#include <cstddef>

#include "win/UniqueHandle.h"

namespace {

// Critical-error and open-file boxes off for this thread while alive.
class QuietErrors {
public:
    QuietErrors() {
        ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &m_saved);
    }
    ~QuietErrors() { ::SetThreadErrorMode(m_saved, nullptr); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

private:
    DWORD m_saved = 0;
};

VolumeInfo Describe(wchar_t letter) {
    VolumeInfo info;
    info.letter = letter;
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    info.driveType = ::GetDriveTypeW(root);
    if (info.driveType == DRIVE_REMOTE || info.driveType == DRIVE_NO_ROOT_DIR) return info;
    // No access rights are asked for: the storage query needs none, and so it works for
    // a standard user and never spins up or locks the disk.
    const wchar_t device[] = {L'\\', L'\\', L'.', L'\\', letter, L':', L'\0'};
    win::UniqueFile volume(::CreateFileW(device, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    if (!volume) return info;
    STORAGE_PROPERTY_QUERY query = {};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    STORAGE_DEVICE_DESCRIPTOR descriptor = {};
    DWORD returned = 0;
    if (::DeviceIoControl(volume.Get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query),
                          &descriptor, sizeof(descriptor), &returned, nullptr) &&
        returned >= offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) + sizeof(descriptor.BusType)) {
        info.busKnown = true;
        info.bus = descriptor.BusType;
    }
    return info;
}

}  // namespace

std::vector<VolumeInfo> SystemVolumes::Volumes() {
    QuietErrors quiet;
    std::vector<VolumeInfo> volumes;
    const DWORD letters = ::GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (letters & (1u << i)) volumes.push_back(Describe(static_cast<wchar_t>(L'A' + i)));
    }
    return volumes;
}

VolumeInfo SystemVolumes::SystemVolume() {
    QuietErrors quiet;
    wchar_t windows[MAX_PATH] = {};
    if (::GetSystemWindowsDirectoryW(windows, MAX_PATH) == 0 || windows[1] != L':') {
        return VolumeInfo();  // bus unknown: nothing is refused for it
    }
    return Describe(static_cast<wchar_t>(::towupper(windows[0])));
}
