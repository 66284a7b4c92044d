#pragma once
// Opens web pages in the user's default browser.

#include <string>

#include "DesktopShell.h"

using DesktopShellOpener = bool (*)(const std::wstring& address);
using ElevationQuery = bool (*)();

// True when this process runs with administrator rights (an elevated token).
bool IsProcessElevated();

// Opens `address` when IsWebAddress accepts it: through the desktop's shell, so that the
// browser runs with the user's rights even when this process is elevated. Where that shell
// cannot be asked, an unelevated process opens it through its own shell call, and an
// elevated one opens nothing: a browser started from here would run elevated. True when
// handed on.
bool OpenWebPage(const std::wstring& address,
                 DesktopShellOpener desktopShell = &OpenThroughDesktopShell,
                 ElevationQuery elevated = &IsProcessElevated);
