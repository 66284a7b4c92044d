#include "log/LogSaveCloseFile.h"

#include <windows.h>

#include <cstdio>

#include "log/LogText.h"
#include "system/ProtectedFolder.h"
#include "win/UniqueHandle.h"

namespace {

std::wstring Timestamp() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    wchar_t stamp[64];
    swprintf(stamp, 64, L"[%04d-%02d-%02d %02d:%02d:%02d %03dms]   ", now.wYear, now.wMonth,
             now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    return stamp;
}

// Some systems (Wine) append by reading the size and writing there, so two processes can
// write over each other's lines: writers also take turns through a lock on one byte far
// past any log's end. Anyone who may read the log may take that lock too, so the wait is
// bounded (one second) and the line is then written without it.
class CAppendTurn {
public:
    explicit CAppendTurn(HANDLE file) {
        const ULONGLONG deadline = ::GetTickCount64() + 1000;
        do {
            OVERLAPPED place = Place();
            if (::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                             &place)) {
                m_file = file;
                return;
            }
            ::Sleep(1);
        } while (::GetTickCount64() < deadline);
    }
    ~CAppendTurn() {
        OVERLAPPED place = Place();
        if (m_file) ::UnlockFileEx(m_file, 0, 1, 0, &place);
    }
    CAppendTurn(const CAppendTurn&) = delete;
    CAppendTurn& operator=(const CAppendTurn&) = delete;

private:
    static OVERLAPPED Place() {
        OVERLAPPED place = {};
        place.OffsetHigh = 0x40000000;
        return place;
    }
    HANDLE m_file = nullptr;
};

}  // namespace

void CLogSaveCloseFile::SaveText(std::string text, std::string fileName) {
    CPacketLog record;
    record.SetContent(std::move(text));
    record.SetName(std::move(fileName));
    SaveLog(&record);
}

void CLogSaveCloseFile::SavePacket(const unsigned char* bytes, int length, std::string fileName) {
    std::wstring hex;
    for (int i = 0; i < length; ++i) {
        wchar_t group[4];
        swprintf(group, 4, L"%02X ", static_cast<unsigned>(bytes[i]));
        hex += group;
    }
    SaveText(ToLogText(hex), std::move(fileName));
}

void CLogSaveCloseFile::SaveLog(const CPacketLog* record) {
    CSingleLock lock(m_cs);
    const CProtectedFolder folder(m_strPath.substr(0, m_strPath.size() - 1), m_ownFileOwner.Get());
    const std::wstring name = FromLogText(record->GetName());
    win::UniqueFile file = folder.OpenForAppend(name);
    if (!file) return;  // dropped without a word; the next record tries again
    const CAppendTurn turn(file.Get());

    // Timestamp and line go out in one append so that no other process splits or loses it.
    const std::string line = ToLogText(Timestamp() + FromLogText(record->GetContent()) + L"\r\n");
    DWORD written = 0;
    if (!::WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr)) {
        return;
    }

    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.Get(), &size)) return;
    if (static_cast<unsigned long long>(size.QuadPart) > kSizeLimit) {
        // The file just checked moves, never whatever bears its name by now.
        folder.Rename(file.Get(), name.substr(name.find_last_of(L"\\/") + 1) + L"bak");
    }
}
