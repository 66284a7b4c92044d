#include "cli/MachineSetup.h"

// After windows.h, which it needs.
#include <sddl.h>

namespace cli_test {

const wchar_t kUsbStor[] = L"SYSTEM\\CurrentControlSet\\Services\\USBSTOR";
const wchar_t kUas[] = L"SYSTEM\\CurrentControlSet\\Services\\UASPStor";
const wchar_t kPolicy[] = L"SOFTWARE\\Policies\\Microsoft\\Windows\\RemovableStorageDevices";
const wchar_t kRemovableDisk[] =
    L"SOFTWARE\\Policies\\Microsoft\\Windows\\RemovableStorageDevices\\"
    L"{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";
const wchar_t kSaved[] = L"SOFTWARE\\Ombrel\\Saved";

namespace {

HKEY Open(const std::wstring& key, REGSAM access) {
    HKEY opened = nullptr;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, access | KEY_WOW64_64KEY, &opened);
    return opened;
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
    HKEY opened = nullptr;
    if (!value.exists ||
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &opened, nullptr)) {
        return;
    }
    RegSetValueExW(opened, name, 0, value.type, value.data.data(),
                   static_cast<DWORD>(value.data.size()));
    RegCloseKey(opened);
}

Stored Get(const std::wstring& key, const wchar_t* name) {
    Stored value;
    HKEY opened = Open(key, KEY_QUERY_VALUE);
    DWORD size = 0;
    if (opened && !RegQueryValueExW(opened, name, nullptr, &value.type, nullptr, &size)) {
        value.exists = true;
        value.data.resize(size);
        RegQueryValueExW(opened, name, nullptr, &value.type, value.data.data(), &size);
    }
    if (opened) RegCloseKey(opened);
    return value;
}

bool KeyExists(const std::wstring& key) {
    HKEY opened = Open(key, KEY_QUERY_VALUE);
    if (opened) RegCloseKey(opened);
    return opened != nullptr;
}

void Arrange(const Machine& machine) {
    for (const wchar_t* key : {kUsbStor, kUas, kPolicy, L"SOFTWARE\\Ombrel"}) {
        if (HKEY opened = Open(key, KEY_ALL_ACCESS)) {
            RegDeleteTreeW(opened, nullptr);
            RegCloseKey(opened);
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
    HKEY opened = Open(key, WRITE_DAC);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                         nullptr);
    RegSetKeySecurity(opened, DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
    RegCloseKey(opened);
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
