#pragma once
// The local machine's registry as the tests set it up and read it back: in its 64-bit view,
// through the registry API, independently of the programs' own code.

#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <string>
#include <vector>

#include "win/UniqueHandle.h"

namespace test {

const wchar_t kUsbStor[] = L"SYSTEM\\CurrentControlSet\\Services\\USBSTOR";
const wchar_t kNoSetValue[] = L"D:P(D;;0x2;;;WD)(A;;KA;;;WD)";  // no KEY_SET_VALUE for anyone
const wchar_t kFullAccess[] = L"D:P(A;;KA;;;WD)";

struct Stored {
    bool exists = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const Stored& o) const {
        return exists == o.exists && type == o.type && data == o.data;
    }
};
const Stored kMissing;
inline Stored Dword(DWORD number) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&number);
    return {true, REG_DWORD, std::vector<BYTE>(bytes, bytes + 4)};
}

inline win::UniqueRegKey Open(const std::wstring& key, REGSAM access) {
    HKEY opened = nullptr;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, access | KEY_WOW64_64KEY, &opened);
    return win::UniqueRegKey(opened);
}
inline bool KeyExists(const std::wstring& key) { return bool(Open(key, KEY_QUERY_VALUE)); }

inline Stored Get(const std::wstring& key, const wchar_t* name) {
    Stored value;
    const win::UniqueRegKey opened = Open(key, KEY_QUERY_VALUE);
    DWORD size = 0;
    if (opened && !RegQueryValueExW(opened.Get(), name, nullptr, &value.type, nullptr, &size)) {
        value.exists = true;
        value.data.resize(size);
        RegQueryValueExW(opened.Get(), name, nullptr, &value.type, value.data.data(), &size);
    }
    return value;
}

// Creates the key and sets the value; does nothing for kMissing.
inline void Put(const std::wstring& key, const wchar_t* name, const Stored& value) {
    HKEY created = nullptr;
    if (value.exists &&
        !RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                         KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &created, nullptr)) {
        const win::UniqueRegKey owner(created);
        RegSetValueExW(created, name, 0, value.type, value.data.data(), DWORD(value.data.size()));
    }
}

// Sets a key's access list; a test resets it to kFullAccess before the key is removed.
inline void SetAccess(const wchar_t* key, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                         nullptr);
    RegSetKeySecurity(Open(key, WRITE_DAC).Get(), DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
}

}  // namespace test
