#pragma once
// A named mutex that only SYSTEM and administrators may open. A program without
// administrator rights could otherwise create the name first and so decide what the tool
// does (keep its folder, make it wait): an object of that name made by anyone else is not
// used at all.

#include <windows.h>

#include <string>

#include "win/UniqueHandle.h"

class AdminOnlyMutex {
public:
    enum class Origin {
        Created,   // made now, with the administrators-only descriptor
        Existing,  // made before by a trusted owner: another instance of ours
        Foreign,   // made before by someone else: not to be used (Get() is null)
        Failed,    // could not be made or opened
    };
    // `initiallyOwned` asks to own it at once, when it is made now.
    explicit AdminOnlyMutex(const std::wstring& name, bool initiallyOwned = false);

    HANDLE Get() const { return m_mutex.Get(); }
    Origin From() const { return m_origin; }
    bool IsOurs() const { return m_origin == Origin::Created || m_origin == Origin::Existing; }

    // Whether an object of this name exists now with a trusted owner.
    static bool TrustedOneExists(const std::wstring& name);

private:
    win::UniqueKernelHandle m_mutex;
    Origin m_origin = Origin::Failed;
};
