#pragma once
// Reads one 32-bit registry value; on 64-bit Windows from the 64-bit view, so it sees
// what the 64-bit reg command writes.

#include <windows.h>

class CRegReader {
public:
    CRegReader();

    // 1 when the value's data (at most 4 bytes, any type, little-endian) went into *out;
    // 0 otherwise. Bytes beyond shorter data keep what the caller preset.
    int ReadDword(HKEY root, const wchar_t* subKey, const wchar_t* valueName, DWORD* out) const;

    // The rights the key is opened with: KEY_READ, plus KEY_WOW64_64KEY under WOW64.
    REGSAM AccessMask() const;

private:
    bool m_bWow64;
};
