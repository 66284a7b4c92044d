// screenshot.exe FILE.png [DELAY_MS]: saves the primary screen as a PNG file, for the
// scripts that show the tool to people.

#include <windows.h>

#include <cwchar>

#include "skin/ScreenCapture.h"
#include "win/Gdiplus.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fputws(L"usage: screenshot FILE.png [DELAY_MS]\n", stderr);
        return 2;
    }
    if (argc > 2) ::Sleep(static_cast<DWORD>(_wtoi(argv[2])));
    win::GdiplusSession gdiplus;
    const RECT screen = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    return test::SaveScreenPng(screen, argv[1]) ? 0 : 1;
}
