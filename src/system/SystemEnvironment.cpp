#include "system/SystemEnvironment.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "system/ProcessFolders.h"

namespace {

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    const size_t length = wcslen(prefix);
    return text.size() >= length &&
           ::CompareStringOrdinal(text.c_str(), static_cast<int>(length), prefix,
                                  static_cast<int>(length), TRUE) == CSTR_EQUAL;
}

// Wine starts the child from the block, so it needs its own settings (the prefix, the
// server, the display, the language) there; no Windows program reads these names.
bool IsWineOnly(const std::wstring& entry) {
    const wchar_t* const prefixes[] = {L"WINE",     L"LANG=", L"LC_",
                                       L"DISPLAY=", L"HOME=", L"XDG_RUNTIME_DIR="};
    return std::any_of(std::begin(prefixes), std::end(prefixes),
                       [&](const wchar_t* prefix) { return StartsWith(entry, prefix); });
}

std::vector<std::wstring> WineOnlyEntries() {
    std::vector<std::wstring> entries;
    wchar_t* strings = ::GetEnvironmentStringsW();
    if (strings == nullptr) return entries;
    for (const wchar_t* entry = strings; *entry != L'\0'; entry += wcslen(entry) + 1) {
        if (IsWineOnly(entry)) entries.emplace_back(entry);
    }
    ::FreeEnvironmentStringsW(strings);
    return entries;
}

std::wstring WindowsDirectory() {
    wchar_t path[MAX_PATH] = {};
    const UINT length = ::GetWindowsDirectoryW(path, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(path, length);
}

bool NameBefore(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_LESS_THAN;
}

}  // namespace

std::wstring SystemEnvironmentBlock() {
    const std::wstring windows = WindowsDirectory();
    const std::wstring system = SystemDirectory();
    if (windows.size() < 3 || system.empty()) return std::wstring();
    std::vector<std::wstring> entries = {
        L"ComSpec=" + system + L"\\cmd.exe",
        L"Path=" + system + L";" + windows + L";" + system + L"\\Wbem",
        L"PATHEXT=.COM;.EXE;.BAT;.CMD",
        L"SystemDrive=" + windows.substr(0, 2),
        L"SystemRoot=" + windows,
        L"TEMP=" + windows + L"\\Temp",
        L"TMP=" + windows + L"\\Temp",
        L"windir=" + windows,
    };
    const std::vector<std::wstring> wine = WineOnlyEntries();
    entries.insert(entries.end(), wine.begin(), wine.end());
    // Windows keeps its blocks sorted by name, whatever the case.
    std::sort(entries.begin(), entries.end(), NameBefore);
    std::wstring block;
    for (const std::wstring& entry : entries) block += entry + L'\0';
    return block + L'\0';
}
