#include "WebAddress.h"

#include <cwctype>

#include "TextFile.h"

namespace {

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (towlower(text[i]) != prefix[i]) return false;
    }
    return true;
}

bool IsUnsafeCharacter(wchar_t c) { return c <= L' ' || c == 0x7F || c == L'"'; }

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

}  // namespace

bool IsWebAddress(const std::wstring& address) {
    size_t hostStart = 0;
    if (StartsWithNoCase(address, L"http://")) {
        hostStart = 7;
    } else if (StartsWithNoCase(address, L"https://")) {
        hostStart = 8;
    } else {
        return false;
    }
    if (hostStart == address.size()) return false;
    const wchar_t first = address[hostStart];
    if (first == L'/' || first == L'?' || first == L'#' || first == L':') return false;
    for (wchar_t c : address) {
        if (IsUnsafeCharacter(c)) return false;
    }
    return true;
}

std::wstring PercentEncode(const std::wstring& text) {
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring encoded;
    for (unsigned char c : ToUtf8(text)) {
        if (IsUnreserved(c)) {
            encoded += static_cast<wchar_t>(c);
        } else {
            encoded += L'%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        }
    }
    return encoded;
}

std::wstring WithToolQuery(const std::wstring& page, const std::wstring& toolId,
                           const std::wstring& version) {
    const size_t fragment = page.find(L'#');
    std::wstring address = page.substr(0, fragment);
    const std::wstring rest = fragment == std::wstring::npos ? L"" : page.substr(fragment);
    if (address.find(L'?') == std::wstring::npos) {
        address += L'?';
    } else if (address.back() != L'?' && address.back() != L'&') {
        address += L'&';
    }
    return address + L"toolId=" + PercentEncode(toolId) + L"&version=" + PercentEncode(version) +
           rest;
}
