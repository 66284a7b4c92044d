#pragma once
// The writer interface behind the log front end.

#include <string>

#include "log/PacketLog.h"

class CLogBase {
public:
    explicit CLogBase(std::wstring path) : m_strPath(std::move(path)) {}
    virtual ~CLogBase() = default;
    CLogBase(const CLogBase&) = delete;
    CLogBase& operator=(const CLogBase&) = delete;

    // Appends the record as one line; the caller keeps the record.
    virtual void SaveLog(const CPacketLog* record) = 0;
    // Appends bytes as one line of "%02X " groups.
    virtual void SavePacket(const unsigned char* bytes, int length, std::string fileName) = 0;
    virtual void SaveText(std::string text, std::string fileName) = 0;

protected:
    std::wstring m_strPath;  // the log directory, with its trailing backslash
};
