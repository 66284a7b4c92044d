#include "PageOpener.h"

#include <windows.h>

#include "WebAddress.h"

bool OpenWebPage(const std::wstring& address, DesktopShellOpener desktopShell) {
    if (!IsWebAddress(address)) return false;
    if (desktopShell(address)) return true;
    const HINSTANCE result =
        ::ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // Values above 32 mean success.
    return reinterpret_cast<INT_PTR>(result) > 32;
}
