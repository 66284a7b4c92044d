/* Stands in for the system's "timeout /t N [/nobreak]" where the test bench's Windows
   lacks it: waits N seconds and ends with 0, or prints an error and ends with 1. Like the
   system's, it ends at once with 1 when its input is not a console (redirected, or a
   process without one), so a command started that way fails here as it would there. */
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
    DWORD mode = 0;
    if (!GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode)) {
        fputws(L"ERROR: Input redirection is not supported, exiting the process immediately.\n",
               stderr);
        return 1;
    }
    Sleep((DWORD)seconds * 1000);
    return 0;
}
