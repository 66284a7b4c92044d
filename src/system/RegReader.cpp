#include "system/RegReader.h"

#include "system/Wow64Probe.h"
#include "win/UniqueHandle.h"

CRegReader::CRegReader() : m_bWow64(IsRunningOnWow64() == 1) {}

REGSAM CRegReader::AccessMask() const { return m_bWow64 ? (KEY_READ | KEY_WOW64_64KEY) : KEY_READ; }

int CRegReader::ReadDword(HKEY root, const wchar_t* subKey, const wchar_t* valueName,
                          DWORD* out) const {
    win::UniqueRegKey key;
    if (::RegOpenKeyExW(root, subKey, 0, AccessMask(), key.Put()) != ERROR_SUCCESS) return 0;
    // The reported type is deliberately not checked: any data of up to 4 bytes counts.
    DWORD type = REG_DWORD;
    DWORD size = sizeof(DWORD);
    LONG status = ::RegQueryValueExW(key.Get(), valueName, nullptr, &type,
                                     reinterpret_cast<BYTE*>(out), &size);
    return status == ERROR_SUCCESS ? 1 : 0;
}
