#include "system/MachineRegistry.h"

#include "win/UniqueHandle.h"

namespace {

// Ignored by 32-bit Windows; on 64-bit Windows it takes a 32-bit build past redirection.
const REGSAM kView = KEY_WOW64_64KEY;

LONG Open(const std::wstring& key, REGSAM access, win::UniqueRegKey* opened) {
    return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, access | kView, opened->Put());
}

bool IsMissing(LONG status) {
    return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND;
}

}  // namespace

RegistryValue RegistryValue::Dword(DWORD number) {
    RegistryValue value;
    value.exists = true;
    value.type = REG_DWORD;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&number);
    value.data.assign(bytes, bytes + sizeof(number));
    return value;
}

bool RegistryValue::AsDword(DWORD* number) const {
    if (!exists || type != REG_DWORD || data.size() != sizeof(DWORD)) return false;
    ::CopyMemory(number, data.data(), sizeof(DWORD));
    return true;
}

bool MachineRegistry::KeyExists(const std::wstring& key) {
    win::UniqueRegKey opened;
    return !IsMissing(Open(key, KEY_QUERY_VALUE, &opened));
}

LONG MachineRegistry::Read(const std::wstring& key, const std::wstring& name,
                           RegistryValue* value) {
    *value = RegistryValue();
    win::UniqueRegKey opened;
    LONG status = Open(key, KEY_QUERY_VALUE, &opened);
    if (IsMissing(status)) return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) return status;
    // The data may grow between the size query and the read: ask again until it fits.
    for (;;) {
        DWORD type = REG_NONE;
        DWORD size = 0;
        status = ::RegQueryValueExW(opened.Get(), name.c_str(), nullptr, &type, nullptr, &size);
        if (IsMissing(status)) return ERROR_SUCCESS;
        if (status != ERROR_SUCCESS) return status;
        std::vector<BYTE> data(size);
        status = ::RegQueryValueExW(opened.Get(), name.c_str(), nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA) continue;
        if (IsMissing(status)) return ERROR_SUCCESS;
        if (status != ERROR_SUCCESS) return status;
        data.resize(size);
        value->exists = true;
        value->type = type;
        value->data = std::move(data);
        return ERROR_SUCCESS;
    }
}

LONG MachineRegistry::CheckWritable(const std::wstring& key) {
    win::UniqueRegKey opened;
    LONG status = Open(key, KEY_QUERY_VALUE | KEY_SET_VALUE, &opened);
    if (!IsMissing(status)) return status;
    const size_t slash = key.rfind(L'\\');
    if (slash == std::wstring::npos) return status;
    const std::wstring parent = key.substr(0, slash);
    if (!KeyExists(parent)) return CheckWritable(parent);
    return Open(parent, KEY_CREATE_SUB_KEY, &opened);
}

LONG MachineRegistry::Write(const std::wstring& key, const std::wstring& name,
                            const RegistryValue& value) {
    win::UniqueRegKey opened;
    if (!value.exists) {
        LONG status = Open(key, KEY_SET_VALUE, &opened);
        if (IsMissing(status)) return ERROR_SUCCESS;
        if (status != ERROR_SUCCESS) return status;
        status = ::RegDeleteValueW(opened.Get(), name.c_str());
        return IsMissing(status) ? ERROR_SUCCESS : status;
    }
    LONG status = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                                    KEY_SET_VALUE | kView, nullptr, opened.Put(), nullptr);
    if (status != ERROR_SUCCESS) return status;
    return ::RegSetValueExW(opened.Get(), name.c_str(), 0, value.type, value.data.data(),
                            static_cast<DWORD>(value.data.size()));
}

LONG MachineRegistry::DeleteIfEmpty(const std::wstring& key) {
    DWORD subKeys = 0;
    DWORD values = 0;
    {
        win::UniqueRegKey opened;
        LONG status = Open(key, KEY_QUERY_VALUE, &opened);
        if (IsMissing(status)) return ERROR_SUCCESS;
        if (status != ERROR_SUCCESS) return status;
        status = ::RegQueryInfoKeyW(opened.Get(), nullptr, nullptr, nullptr, &subKeys, nullptr,
                                    nullptr, &values, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) return status;
    }
    if (subKeys != 0 || values != 0) return ERROR_DIR_NOT_EMPTY;
    return ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), kView, 0);
}
