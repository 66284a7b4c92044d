#pragma once
// The registry values ombrel touches, set up and read back by the tests through the
// registry API in the 64-bit view, independently of the program's own code.

#include <windows.h>

#include <string>
#include <vector>

namespace cli_test {

extern const wchar_t kUsbStor[], kUas[], kPolicy[], kRemovableDisk[], kSaved[];

struct Stored {
    bool exists = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const Stored& o) const {
        return exists == o.exists && type == o.type && data == o.data;
    }
};
const Stored kMissing;
Stored Dword(DWORD number);

Stored Get(const std::wstring& key, const wchar_t* name);
void Put(const std::wstring& key, const wchar_t* name, const Stored& value);  // creates the key
bool KeyExists(const std::wstring& key);

// A starting state: the drivers' Start values (the UAS key absent where `uas` is false)
// and an administrator's own policy values.
struct Machine {
    Stored usbStart = Dword(3);
    bool uas = false;
    Stored uasStart = Dword(3);
    Stored denyAll;
    Stored diskWrite;  // Deny_Write on the removable-disk class
};
// Removes every key the tests touch (the saved set too), then sets up `machine`.
void Arrange(const Machine& machine);

// A key's access list as SDDL; a test resets it to kFullAccess before the key is removed.
void SetAccess(const wchar_t* key, const wchar_t* sddl);
const wchar_t kNoSetValue[] = L"D:P(D;;0x2;;;WD)(A;;KA;;;WD)";  // no KEY_SET_VALUE for anyone
const wchar_t kFullAccess[] = L"D:P(A;;KA;;;WD)";

// Every touched value and key as text, to compare whole states in one assertion.
std::string Snapshot();

}  // namespace cli_test
