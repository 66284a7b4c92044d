#include "PageOpener.h"

#include <windows.h>

#include "WebAddress.h"
#include "win/UniqueHandle.h"

bool IsProcessElevated() {
    win::UniqueKernelHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Put())) return true;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    const BOOL read =
        ::GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof(elevation), &size);
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
