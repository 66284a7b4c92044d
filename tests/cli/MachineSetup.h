#pragma once
// The registry values ombrel touches, set up and read back in the 64-bit view through the
// registry API, independently of the program's own code.

#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <string>
#include <vector>

#include "system/EventLog.h"
#include "win/UniqueHandle.h"

namespace cli_test {

const wchar_t kUsbStor[] = L"SYSTEM\\CurrentControlSet\\Services\\USBSTOR";
const wchar_t kUas[] = L"SYSTEM\\CurrentControlSet\\Services\\UASPStor";
const wchar_t kPolicy[] = L"SOFTWARE\\Policies\\Microsoft\\Windows\\RemovableStorageDevices";
const wchar_t kSaved[] = L"SOFTWARE\\Ombrel\\Saved";
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

// A starting state: the drivers' Start values (the UAS key absent where `uas` is false)
// and an administrator's own policy values.
struct Machine {
    Stored usbStart = Dword(3);
    bool uas = false;
    Stored uasStart = Dword(3);
    Stored denyAll;
    Stored diskWrite;      // Deny_Write on the removable-disk class
    Stored diskRead = {};  // Deny_Read on the removable-disk class
};
inline const std::wstring kRemovableDisk =
    std::wstring(kPolicy) + L"\\{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";
// Phones and cameras (WPD), in the policy's two classes for them.
inline const std::wstring kPortable[] = {
    std::wstring(kPolicy) + L"\\{6AC27878-A6FA-4155-BA85-F98F491D4F33}",
    std::wstring(kPolicy) + L"\\{F33FDC04-D1AC-4E8E-9A30-19BBD4B108AE}"};

// Removes every key the tests touch (the saved set too), then sets up `machine`.
inline void Arrange(const Machine& machine) {
    for (const wchar_t* key : {kUsbStor, kUas, kPolicy, L"SOFTWARE\\Ombrel"}) {
        if (const win::UniqueRegKey opened = Open(key, KEY_ALL_ACCESS)) {
            RegDeleteTreeW(opened.Get(), nullptr);
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key, KEY_WOW64_64KEY, 0);
        }
    }
    Put(kUsbStor, L"Type", Dword(1));  // the key exists even where Start is missing
    Put(kUsbStor, L"Start", machine.usbStart);
    if (machine.uas) Put(kUas, L"Type", Dword(1));
    if (machine.uas) Put(kUas, L"Start", machine.uasStart);
    Put(kPolicy, L"Deny_All", machine.denyAll);
    Put(kRemovableDisk, L"Deny_Write", machine.diskWrite);
    Put(kRemovableDisk, L"Deny_Read", machine.diskRead);
}

// Sets a key's access list; a test resets it to kFullAccess before the key is removed.
inline void SetAccess(const wchar_t* key, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                         nullptr);
    RegSetKeySecurity(Open(key, WRITE_DAC).Get(), DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
}

// Every touched value and key as text, to compare whole states in one assertion.
inline std::string Snapshot() {
    std::string text;
    for (const std::wstring& key :
         {std::wstring(kUas), std::wstring(kPolicy), kRemovableDisk, kPortable[0], kPortable[1],
          std::wstring(L"SOFTWARE\\Ombrel")}) {
        text += KeyExists(key) ? "key " : "no-key ";
    }
    for (const Stored& value :
         {Get(kUsbStor, L"Start"), Get(kUas, L"Start"), Get(kPolicy, L"Deny_All"),
          Get(kRemovableDisk, L"Deny_Write"), Get(kPortable[0], L"Deny_Write"),
          Get(kPortable[1], L"Deny_Write"), Get(kRemovableDisk, L"Deny_Read")}) {
        text += value.exists ? "type" + std::to_string(value.type) + ":" : "missing";
        for (BYTE b : value.data) text += std::to_string(b) + ".";
        text += " ";
    }
    return text;
}

// An Application log event as "ID type action values", its program and scope left out.
inline std::wstring EventText(const LogEvent& event) {
    const wchar_t* type = event.type == EVENTLOG_INFORMATION_TYPE ? L"information"
                          : event.type == EVENTLOG_WARNING_TYPE   ? L"warning"
                          : event.type == EVENTLOG_ERROR_TYPE     ? L"error"
                                                                  : L"?";
    return std::to_wstring(event.id) + L" " + type + L" " + event.strings.at(1) + L" " +
           event.strings.at(3);
}

}  // namespace cli_test
