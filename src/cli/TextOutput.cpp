#include "cli/TextOutput.h"

void StandardOutput::Write(const std::wstring& text) {
    if (m_handle == nullptr || m_handle == INVALID_HANDLE_VALUE || text.empty()) return;
    // Line ends as a console or a Windows text file wants them.
    std::wstring lines;
    for (wchar_t c : text) {
        if (c == L'\n') lines += L'\r';
        lines += c;
    }
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(m_handle, &mode)) {
        ::WriteConsoleW(m_handle, lines.data(), static_cast<DWORD>(lines.size()), &written,
                        nullptr);
        return;
    }
    const int length = static_cast<int>(lines.size());
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, lines.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, lines.data(), length, &bytes[0], size, nullptr, nullptr);
    ::WriteFile(m_handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
