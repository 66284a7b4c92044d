#include "PageOpener.h"

#include <windows.h>

#include "WebAddress.h"

int OpenWebPage(const std::wstring& address, DesktopShellOpener desktopShell) {
    if (!IsWebAddress(address)) return 0;
    if (desktopShell(address)) return 1;
    const HINSTANCE result =
        ::ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // Values above 32 mean success.
    return reinterpret_cast<INT_PTR>(result) > 32 ? 1 : 0;
}
