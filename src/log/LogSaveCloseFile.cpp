#include "log/LogSaveCloseFile.h"

#include <windows.h>

#include <cstdio>

#include "log/LogText.h"
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
    const std::wstring path = m_strPath + FromLogText(record->GetName());
    win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;  // dropped without a word; the next record tries again

    // Timestamp and line go out in one write so another process never sees half a line.
    const std::string line = ToLogText(Timestamp() + FromLogText(record->GetContent()) + L"\r\n");
    LARGE_INTEGER end = {};
    DWORD written = 0;
    if (!::SetFilePointerEx(file.Get(), end, nullptr, FILE_END) ||
        !::WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr)) {
        return;
    }

    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.Get(), &size)) return;
    if (static_cast<unsigned long long>(size.QuadPart) > kSizeLimit) {
        file.Reset();
        ::MoveFileExW(path.c_str(), (path + L"bak").c_str(), MOVEFILE_REPLACE_EXISTING);
    }
}
