#pragma once
// Appends timestamped lines in code page 936, opening and closing the file for every
// record, and moves a file that grew past the size limit to its single "bak" backup. A
// log folder that someone else may have planted is not written (CProtectedFolder).

#include <utility>

#include "log/LogBase.h"
#include "system/ProtectedFolder.h"
#include "win/CriticalSection.h"

class CLogSaveCloseFile : public CLogBase {
public:
    static const unsigned long long kSizeLimit = 6020000;

    // `path` ends with a backslash; `ownFileOwner` is the owner this process's new files get
    // beside the log folder.
    CLogSaveCloseFile(std::wstring path, CNewFileOwner ownFileOwner)
        : CLogBase(std::move(path)), m_ownFileOwner(std::move(ownFileOwner)) {}

    void SaveLog(const CPacketLog* record) override;
    void SavePacket(const unsigned char* bytes, int length, std::string fileName) override;
    void SaveText(std::string text, std::string fileName) override;

private:
    CCriticalSection m_cs;         // one lock for every file this writer serves
    CNewFileOwner m_ownFileOwner;  // an owner the log folder may have besides the system's
};
