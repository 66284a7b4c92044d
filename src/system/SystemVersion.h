#pragma once
// The Windows version as the process environment block holds it: unlike the version
// query functions, it is not bent by the manifest's compatibility section.

struct WindowsVersion {
    unsigned long major;
    unsigned long minor;
};

WindowsVersion ReadWindowsVersion();

// Windows 7 (6.1) and Windows 10 (10.0, which later releases keep) are supported.
bool IsSupportedVersion(WindowsVersion version);
