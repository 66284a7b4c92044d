#pragma once
// This process's use of the program's directory, marked for the process's life (a named
// mutex per directory that only administrators may open), so that of several instances
// started from one directory only the last to end removes it. An object of that name made
// by anyone else is ignored: it neither keeps the directory nor makes the tool wait.

#include <memory>
#include <string>

#include "system/AdminOnlyMutex.h"

// The name of the use mark of `directory`; empty when the directory's path cannot be had.
std::wstring DirectoryUseName(const std::wstring& directory);

class OwnDirectoryUse {
public:
    explicit OwnDirectoryUse(const std::wstring& directory);

    // Ends this process's use; true when no other instance of ours still uses the
    // directory. False when the use could not be marked or told: the directory then stays.
    bool EndAndIsLast();

private:
    std::wstring m_name;
    std::unique_ptr<AdminOnlyMutex> m_use;
};
