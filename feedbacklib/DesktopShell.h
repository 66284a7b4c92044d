#pragma once
// Opens an address through the desktop's own shell, which runs as the signed-in user: a
// browser started from an elevated process this way is not elevated.

#include <string>

// True when the desktop's shell took the address; false where there is no desktop shell
// to ask (another shell, none running, COM unavailable), and nothing was started.
bool OpenThroughDesktopShell(const std::wstring& address);
