// The process entry: restrict where libraries may come from, then run the application.

#include <windows.h>

#include "app/TovricOmbrelApp.h"

namespace {

// An elevated tool started from a download folder must not load a library planted
// beside it: from here on, only the system folder (and full paths) serve LoadLibrary.
void RestrictLibrarySearch() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault == nullptr || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        ::SetDllDirectoryW(L"");  // older systems: at least not the current folder
    }
}

CTovricOmbrelApp theApp;

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    RestrictLibrarySearch();
    theApp.InitInstance();
    return 0;
}
