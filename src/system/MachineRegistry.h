#pragma once
// The local machine's registry, value by value, always in its 64-bit view, so a 32-bit
// build on 64-bit Windows sees and writes the same keys as the 64-bit system does.

#include <windows.h>

#include <string>
#include <vector>

// One value as stored: absent, or its type and raw data.
struct RegistryValue {
    bool exists = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;

    static RegistryValue Dword(DWORD number);
    // True (with the number) for a four-byte REG_DWORD only.
    bool AsDword(DWORD* number) const;
    bool operator==(const RegistryValue& other) const {
        return exists == other.exists && (!exists || (type == other.type && data == other.data));
    }
    bool operator!=(const RegistryValue& other) const { return !(*this == other); }
};

// What the storage code needs of the registry. Keys are paths under HKLM; results are
// Win32 error codes.
class RegistryAccess {
public:
    virtual ~RegistryAccess() = default;
    virtual bool KeyExists(const std::wstring& key) = 0;
    // A missing key or value reads as an absent value.
    virtual LONG Read(const std::wstring& key, const std::wstring& name, RegistryValue* value) = 0;
    // Whether values of `key` may be set: the key opened for that, or when it is missing,
    // its nearest existing parent opened for creating keys. Changes nothing.
    virtual LONG CheckWritable(const std::wstring& key) = 0;
    // Sets the value (creating the key and its parents) or, for an absent one, deletes it.
    virtual LONG Write(const std::wstring& key, const std::wstring& name,
                       const RegistryValue& value) = 0;
    // Deletes the key when it holds no values and no subkeys.
    virtual LONG DeleteIfEmpty(const std::wstring& key) = 0;
};

class MachineRegistry : public RegistryAccess {
public:
    bool KeyExists(const std::wstring& key) override;
    LONG Read(const std::wstring& key, const std::wstring& name, RegistryValue* value) override;
    LONG CheckWritable(const std::wstring& key) override;
    LONG Write(const std::wstring& key, const std::wstring& name,
               const RegistryValue& value) override;
    LONG DeleteIfEmpty(const std::wstring& key) override;
};
