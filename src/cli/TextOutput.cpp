#include "cli/TextOutput.h"

void StandardOutput::Write(const std::wstring& text) {
    if (m_handle == nullptr || m_handle == INVALID_HANDLE_VALUE || text.empty()) return;
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(m_handle, &mode)) {
        // Line ends as a console wants them.
        std::wstring shown;
        for (wchar_t c : text) {
            if (c == L'\n') shown += L'\r';
            shown += c;
        }
        ::WriteConsoleW(m_handle, shown.data(), static_cast<DWORD>(shown.size()), &written,
                        nullptr);
        return;
    }
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size,
                          nullptr, nullptr);
    std::string lines;
    for (char c : bytes) {
        if (c == '\n') lines += '\r';
        lines += c;
    }
    ::WriteFile(m_handle, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
}
