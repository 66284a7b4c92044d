#pragma once
// The registry values ombrel touches, set up and read back in the 64-bit view through the
// registry API, independently of the program's own code.

#include <windows.h>

#include <string>
#include <vector>

#include "support/Registry.h"
#include "system/EventLog.h"

namespace cli_test {

using namespace test;  // NOLINT: the registry as the tests set it up and read it back

const wchar_t kUas[] = L"SYSTEM\\CurrentControlSet\\Services\\UASPStor";
const wchar_t kPolicy[] = L"SOFTWARE\\Policies\\Microsoft\\Windows\\RemovableStorageDevices";
const wchar_t kSaved[] = L"SOFTWARE\\Ombrel\\Saved";

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
