#include "cli/MachineSetup.h"

#include <gtest/gtest.h>

namespace cli_test {

const wchar_t kUsbStor[] = L"SYSTEM\\CurrentControlSet\\Services\\USBSTOR";
const wchar_t kUas[] = L"SYSTEM\\CurrentControlSet\\Services\\UASPStor";
const wchar_t kPolicy[] = L"SOFTWARE\\Policies\\Microsoft\\Windows\\RemovableStorageDevices";
const wchar_t kRemovableDisk[] =
    L"SOFTWARE\\Policies\\Microsoft\\Windows\\RemovableStorageDevices\\"
    L"{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";
const wchar_t kSaved[] = L"SOFTWARE\\Ombrel\\Saved";

namespace {

const REGSAM k64 = KEY_WOW64_64KEY;

void Put(const std::wstring& key, const wchar_t* name, const Stored& value) {
    if (!value.exists) return;
    HKEY opened = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS | k64, nullptr, &opened, nullptr));
    RegSetValueExW(opened, name, 0, value.type, value.data.data(),
                   static_cast<DWORD>(value.data.size()));
    RegCloseKey(opened);
}

void DeleteTree(const std::wstring& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_ALL_ACCESS | k64, &opened)) return;
    RegDeleteTreeW(opened, nullptr);
    RegCloseKey(opened);
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), k64, 0);
}

std::string Describe(const Stored& value) {
    if (!value.exists) return "missing";
    std::string text = "type" + std::to_string(value.type) + ":";
    for (BYTE b : value.data) text += std::to_string(b) + ".";
    return text;
}

}  // namespace

Stored Missing() { return Stored(); }

Stored Dword(DWORD number) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&number);
    return {true, REG_DWORD, std::vector<BYTE>(bytes, bytes + 4)};
}

Stored Text(const wchar_t* text) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text);
    return {true, REG_SZ, std::vector<BYTE>(bytes, bytes + (wcslen(text) + 1) * 2)};
}

Stored Get(const std::wstring& key, const wchar_t* name) {
    Stored value;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | k64, &opened)) {
        return value;
    }
    DWORD size = 0;
    if (RegQueryValueExW(opened, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.exists = true;
        value.data.resize(size);
        RegQueryValueExW(opened, name, nullptr, &value.type, value.data.data(), &size);
    }
    RegCloseKey(opened);
    return value;
}

bool KeyExists(const std::wstring& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | k64, &opened)) {
        return false;
    }
    RegCloseKey(opened);
    return true;
}

void Arrange(const Machine& machine) {
    for (const wchar_t* key : {kUsbStor, kUas, kPolicy, L"SOFTWARE\\Ombrel"}) DeleteTree(key);
    Put(kUsbStor, L"Type", Dword(1));  // the key exists even where Start is missing
    Put(kUsbStor, L"Start", machine.usbStart);
    if (machine.uas) {
        Put(kUas, L"Type", Dword(1));
        Put(kUas, L"Start", machine.uasStart);
    }
    Put(kPolicy, L"Deny_All", machine.denyAll);
    Put(kRemovableDisk, L"Deny_Write", machine.diskWrite);
}

std::string Snapshot() {
    std::string text;
    for (const wchar_t* key : {kUas, kPolicy, L"SOFTWARE\\Ombrel"}) {
        text += KeyExists(key) ? "key " : "no-key ";
    }
    text += "usbstor=" + Describe(Get(kUsbStor, L"Start"));
    text += " uas=" + Describe(Get(kUas, L"Start"));
    text += " deny_all=" + Describe(Get(kPolicy, L"Deny_All"));
    text += " disk_write=" + Describe(Get(kRemovableDisk, L"Deny_Write"));
    return text;
}

}  // namespace cli_test
