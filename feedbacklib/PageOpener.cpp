#include "PageOpener.h"

#include <windows.h>

#include "WebAddress.h"

bool IsProcessElevated() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return true;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    const BOOL read =
        ::GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size);
    ::CloseHandle(token);
    return !read || elevation.TokenIsElevated != 0;  // unknown counts as elevated
}

bool OpenWebPage(const std::wstring& address, DesktopShellOpener desktopShell,
                 ElevationQuery elevated) {
    if (!IsWebAddress(address)) return false;
    if (desktopShell(address)) return true;
    if (elevated()) return false;
    const HINSTANCE result =
        ::ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // Values above 32 mean success.
    return reinterpret_cast<INT_PTR>(result) > 32;
}
