#include "system/SystemVersion.h"

#include <windows.h>
#include <winternl.h>

WindowsVersion ReadWindowsVersion() {
    WindowsVersion version = {0, 0};
    PROCESS_BASIC_INFORMATION basic = {};
    if (::NtQueryInformationProcess(::GetCurrentProcess(), ProcessBasicInformation, &basic,
                                    sizeof(basic), nullptr) != 0 ||
        basic.PebBaseAddress == nullptr) {
        return version;  // reads as unsupported
    }
    // Offsets of OSMajorVersion and OSMinorVersion in the process's own PEB.
#ifdef _WIN64
    const size_t majorOffset = 0x118;
#else
    const size_t majorOffset = 0xA4;
#endif
    const auto* peb = reinterpret_cast<const BYTE*>(basic.PebBaseAddress);
    version.major = *reinterpret_cast<const ULONG*>(peb + majorOffset);
    version.minor = *reinterpret_cast<const ULONG*>(peb + majorOffset + sizeof(ULONG));
    return version;
}

bool IsSupportedVersion(WindowsVersion version) {
    return (version.major == 6 && version.minor == 1) ||
           (version.major == 10 && version.minor == 0);
}
