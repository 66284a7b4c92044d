#pragma once
// This process's use of the program's directory, marked for the process's life (a named
// mutex per directory), so that of several instances started from one directory only the
// last to end removes it.

#include <string>

#include "win/UniqueHandle.h"

class OwnDirectoryUse {
public:
    explicit OwnDirectoryUse(const std::wstring& directory);

    // Ends this process's use; true when no other process still uses the directory.
    // False when the use could not be marked or told: the directory then stays.
    bool EndAndIsLast();

private:
    std::wstring m_name;
    win::UniqueKernelHandle m_use;
};
