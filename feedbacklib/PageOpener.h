#pragma once
// Opens web pages in the user's default browser.

#include <string>

#include "DesktopShell.h"

using DesktopShellOpener = bool (*)(const std::wstring& address);

// Opens `address` when IsWebAddress accepts it: through the desktop's shell, so that the
// browser runs with the user's rights even when this process is elevated; where that
// shell cannot be asked, through this process's own shell call. True when handed on.
bool OpenWebPage(const std::wstring& address,
                 DesktopShellOpener desktopShell = &OpenThroughDesktopShell);
