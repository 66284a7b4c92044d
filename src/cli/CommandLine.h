#pragma once
// The words of an ombrel command line, checked: every word is known or the line is refused.

#include <string>
#include <vector>

#include "storage/WideScope.h"

struct OmbrelRequest {
    enum class Command { Help, Status, Disable, Enable, Check };
    Command command = Command::Help;
    bool json = false;                       // status
    StorageScope scope = StorageScope::Usb;  // disable, check
    bool expectOn = false;                   // check
    bool pendingExit = false;                // disable, enable: 3010 while a re-plug waits
};

// True with *request; false with a one-line reason in *error.
bool ParseCommandLine(const std::vector<std::wstring>& words, OmbrelRequest* request,
                      std::wstring* error);

extern const wchar_t kUsageText[];
