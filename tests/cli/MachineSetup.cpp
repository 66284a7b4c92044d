#include "cli/MachineSetup.h"

// After windows.h, which it needs.
#include <sddl.h>

#include "win/UniqueHandle.h"

namespace cli_test {

const wchar_t kUsbStor[] = L"SYSTEM\\CurrentControlSet\\Services\\USBSTOR";
const wchar_t kUas[] = L"SYSTEM\\CurrentControlSet\\Services\\UASPStor";
const wchar_t kPolicy[] = L"SOFTWARE\\Policies\\Microsoft\\Windows\\RemovableStorageDevices";
const wchar_t kRemovableDisk[] =
    L"SOFTWARE\\Policies\\Microsoft\\Windows\\RemovableStorageDevices\\"
    L"{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";
const wchar_t kSaved[] = L"SOFTWARE\\Ombrel\\Saved";

namespace {

win::UniqueRegKey Open(const std::wstring& key, REGSAM access) {
    HKEY opened = nullptr;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, access | KEY_WOW64_64KEY, &opened);
    return win::UniqueRegKey(opened);
}

std::string Describe(const Stored& value) {
    if (!value.exists) return "missing";
    std::string text = "type" + std::to_string(value.type) + ":";
    for (BYTE b : value.data) text += std::to_string(b) + ".";
    return text;
}

}  // namespace

Stored Dword(DWORD number) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&number);
    return {true, REG_DWORD, std::vector<BYTE>(bytes, bytes + 4)};
}

void Put(const std::wstring& key, const wchar_t* name, const Stored& value) {
    HKEY created = nullptr;
    if (!value.exists ||
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &created, nullptr)) {
        return;
    }
    win::UniqueRegKey owner(created);
    RegSetValueExW(created, name, 0, value.type, value.data.data(),
                   static_cast<DWORD>(value.data.size()));
}

Stored Get(const std::wstring& key, const wchar_t* name) {
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

bool KeyExists(const std::wstring& key) { return static_cast<bool>(Open(key, KEY_QUERY_VALUE)); }

void Arrange(const Machine& machine) {
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
}

void SetAccess(const wchar_t* key, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                         nullptr);
    RegSetKeySecurity(Open(key, WRITE_DAC).Get(), DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
}

std::string Snapshot() {
    std::string text;
    for (const wchar_t* key : {kUas, kPolicy, L"SOFTWARE\\Ombrel"}) {
        text += KeyExists(key) ? "key " : "no-key ";
    }
    return text + "usbstor=" + Describe(Get(kUsbStor, L"Start")) +
           " uas=" + Describe(Get(kUas, L"Start")) +
           " deny_all=" + Describe(Get(kPolicy, L"Deny_All")) +
           " disk_write=" + Describe(Get(kRemovableDisk, L"Deny_Write"));
}

}  // namespace cli_test
