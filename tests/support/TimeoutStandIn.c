/* Stands in for the system's "timeout /t N [/nobreak]" where the test bench's Windows
   lacks it: waits N seconds and ends with 0, or prints an error and ends with 1. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    long seconds = -1;
    for (int i = 1; i < argc; ++i) {
        if ((_wcsicmp(argv[i], L"/t") == 0 || _wcsicmp(argv[i], L"-t") == 0) && i + 1 < argc) {
            seconds = wcstol(argv[++i], NULL, 10);
        } else if (_wcsicmp(argv[i], L"/nobreak") != 0) {
            seconds = -1;
            break;
        }
    }
    if (seconds < 0) {
        fputws(L"ERROR: Invalid syntax. Usage: timeout /t N [/nobreak]\n", stderr);
        return 1;
    }
    Sleep((DWORD)seconds * 1000);
    return 0;
}
