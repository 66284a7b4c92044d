/* Exits with the Windows version that GetVersionExW reports, as major * 100 + minor. Built
   with and without the tool's manifest, whose supported systems decide what is reported. */
#include <windows.h>

int main(void) {
    OSVERSIONINFOW info = {sizeof info};
    if (!GetVersionExW(&info)) {
        return 0;
    }
    return (int)(info.dwMajorVersion * 100 + info.dwMinorVersion);
}
