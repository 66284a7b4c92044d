#pragma once
// The words of an ombrel command line, checked: every word is known or the line is refused.

#include <string>
#include <vector>

#include "storage/StorageChange.h"

struct OmbrelRequest {
    enum class Command { Help, Status, Disable, ReadOnly, Enable, Check };
    enum class Expect { On, Off, ReadOnly };
    Command command = Command::Help;
    bool json = false;                       // every command but help
    StorageScope scope = StorageScope::Usb;  // disable, check
    Expect expect = Expect::Off;             // check
    bool pendingExit = false;                // disable, read-only, enable: 3010 on a re-plug
};

// True with *request; false with a one-line reason in *error.
bool ParseCommandLine(const std::vector<std::wstring>& words, OmbrelRequest* request,
                      std::wstring* error);

extern const wchar_t kUsageText[];
