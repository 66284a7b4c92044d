#pragma once
// Appends timestamped lines in code page 936, opening and closing the file for every
// record, and moves a file that grew past the size limit to its single "bak" backup.

#include "log/LogBase.h"
#include "win/CriticalSection.h"

class CLogSaveCloseFile : public CLogBase {
public:
    static const unsigned long long kSizeLimit = 6020000;

    explicit CLogSaveCloseFile(std::wstring path) : CLogBase(std::move(path)) {}

    void SaveLog(const CPacketLog* record) override;
    void SavePacket(const unsigned char* bytes, int length, std::string fileName) override;
    void SaveText(std::string text, std::string fileName) override;

private:
    CCriticalSection m_cs;  // one lock for every file this writer serves
};
