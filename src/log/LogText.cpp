#include "log/LogText.h"

#include <windows.h>

std::string ToLogText(const std::wstring& text) {
    if (text.empty()) return std::string();
    int size = ::WideCharToMultiByte(kLogCodePage, 0, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(kLogCodePage, 0, text.data(), static_cast<int>(text.size()), &bytes[0],
                          size, nullptr, nullptr);
    return bytes;
}

std::wstring FromLogText(const std::string& text) {
    if (text.empty()) return std::wstring();
    int size = ::MultiByteToWideChar(kLogCodePage, 0, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(kLogCodePage, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                          size);
    return wide;
}
