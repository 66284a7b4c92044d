#pragma once
// What the system says about its drive letters: the kind of drive and the bus of the
// disk behind it, asked with critical-error boxes off, so an empty card reader never
// stops the caller with a "no disk" box.

#include <windows.h>
#include <winioctl.h>

#include <vector>

struct VolumeInfo {
    wchar_t letter = L'C';
    UINT driveType = DRIVE_UNKNOWN;  // as GetDriveTypeW answers
    bool busKnown = false;           // false where the storage query was refused
    STORAGE_BUS_TYPE bus = BusTypeUnknown;
};

// The questions the storage code asks; tests answer them with injected volumes.
class VolumeProbe {
public:
    virtual ~VolumeProbe() = default;
    virtual std::vector<VolumeInfo> Volumes() = 0;  // every local drive letter in use
    virtual VolumeInfo SystemVolume() = 0;          // the volume Windows runs from
};

class SystemVolumes : public VolumeProbe {
public:
    std::vector<VolumeInfo> Volumes() override;
    VolumeInfo SystemVolume() override;
};
