#pragma once
// For the stand-in feedback libraries: appends bytes to a record file beside the module
// that holds this code, so that a test finds what the library was asked to do.

#include <windows.h>

#include <string>

namespace test {

inline void AppendToRecordBesideModule(const wchar_t* name, const void* bytes, DWORD size) {
    HMODULE self = nullptr;
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&AppendToRecordBesideModule), &self);
    wchar_t module[MAX_PATH] = {};
    ::GetModuleFileNameW(self, module, MAX_PATH);
    std::wstring path(module);
    path = path.substr(0, path.rfind(L'\\') + 1) + name;
    HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, bytes, size, &written, nullptr);
    ::CloseHandle(file);
}

}  // namespace test
