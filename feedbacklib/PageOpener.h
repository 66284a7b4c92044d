#pragma once
// Opens web pages in the default browser.

#include <string>

// Hands `address` to the shell when IsWebAddress accepts it. With `openedPagesFile` set
// (a testing aid) the address is appended to that file instead. 1 when handed on.
int OpenWebPage(const std::wstring& address, const std::wstring& openedPagesFile);
