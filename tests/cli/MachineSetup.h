#pragma once
// The registry values ombrel reads and writes, set up and read back by the tests through
// the registry API in the 64-bit view, independently of the program's own code.

#include <windows.h>

#include <string>
#include <vector>

namespace cli_test {

extern const wchar_t kUsbStor[];
extern const wchar_t kUas[];
extern const wchar_t kPolicy[];
extern const wchar_t kRemovableDisk[];  // the policy's removable-disk class
extern const wchar_t kSaved[];

struct Stored {
    bool exists = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const Stored& o) const {
        return exists == o.exists && type == o.type && data == o.data;
    }
};
Stored Missing();
Stored Dword(DWORD number);
Stored Text(const wchar_t* text);

Stored Get(const std::wstring& key, const wchar_t* name);
bool KeyExists(const std::wstring& key);

// A starting state. With `uas` false the UAS driver's key is absent.
struct Machine {
    Stored usbStart = Dword(3);
    bool uas = false;
    Stored uasStart = Dword(3);
    Stored denyAll;    // an administrator's own Deny_All
    Stored diskWrite;  // an administrator's own Deny_Write on the removable-disk class
};
// Removes every key the tests touch (and the saved set), then sets up `machine`.
void Arrange(const Machine& machine);

// Every touched value and key, as text for comparing whole states in one assertion.
std::string Snapshot();

}  // namespace cli_test
