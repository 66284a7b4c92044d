#include "PageOpener.h"

#include <windows.h>

#include "TextFile.h"
#include "WebAddress.h"

int OpenWebPage(const std::wstring& address, const std::wstring& openedPagesFile) {
    if (!IsWebAddress(address)) return 0;
    if (!openedPagesFile.empty()) return AppendUtf8Line(openedPagesFile, address) ? 1 : 0;
    const HINSTANCE result =
        ::ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // Values above 32 mean success.
    return reinterpret_cast<INT_PTR>(result) > 32 ? 1 : 0;
}
