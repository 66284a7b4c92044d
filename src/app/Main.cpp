// The process entry: restrict where libraries may come from, then run the application.

#include <windows.h>
// windows.h first
#include <delayimp.h>

#include <string>

#include "app/TovricOmbrelApp.h"
#include "system/LibrarySearch.h"
#include "system/ProcessFolders.h"
#include "system/StepTimes.h"

namespace {

// Libraries bound on first use (GDI+) are loaded from the system folder by full path,
// also on systems that lack SetDefaultDllDirectories.
FARPROC WINAPI LoadFromSystemFolder(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary || info == nullptr) return nullptr;
    const std::string name = info->szDll;
    const std::wstring systemDir = SystemDirectory();
    if (systemDir.empty()) return nullptr;
    const std::wstring path = systemDir + L"\\" + std::wstring(name.begin(), name.end());
    return reinterpret_cast<FARPROC>(
        ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

CTovricOmbrelApp theApp;

}  // namespace

// Declared by delayimp.h; the delay-load helper asks it before loading a library.
PfnDliHook __pfnDliNotifyHook2 = LoadFromSystemFolder;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    {
        TimedStep step("restrict-libraries");
        RestrictLibrarySearch();
    }
    theApp.InitInstance();
    return 0;
}
