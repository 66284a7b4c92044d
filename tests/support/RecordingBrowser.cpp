#include "support/RecordingBrowser.h"

#include <algorithm>

#include "support/Waiting.h"

namespace test {

namespace {

// Wine's class root shows the machine's classes only, not the user's; the key is shared
// by the 32-bit and 64-bit views.
std::wstring CommandKey(const std::wstring& scheme) {
    return L"Software\\Classes\\" + scheme + L"\\shell\\open\\command";
}

bool ReadDefault(const std::wstring& path, std::wstring& value) {
    wchar_t text[2048] = {};
    DWORD size = sizeof(text) - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text,
                       &size) != ERROR_SUCCESS) {
        return false;
    }
    value = text;
    return true;
}

bool WriteDefault(const std::wstring& path, const std::wstring& value) {
    return ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, path.c_str(), nullptr, REG_SZ, value.c_str(),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

}  // namespace

RecordingBrowser::RecordingBrowser() {
    const std::wstring command = L"\"" + ProgramDirectory() + L"\\page_recorder.exe\" \"" +
                                 (m_dir / L"pages.txt") + L"\" \"%1\"";
    for (const wchar_t* scheme : {L"http", L"https"}) {
        SavedHandler saved;
        saved.scheme = scheme;
        saved.existed = ReadDefault(CommandKey(scheme), saved.command);
        m_saved.push_back(saved);
        m_registered = WriteDefault(CommandKey(scheme), command) && m_registered;
    }
}

RecordingBrowser::~RecordingBrowser() {
    for (const SavedHandler& saved : m_saved) {
        if (saved.existed) {
            WriteDefault(CommandKey(saved.scheme), saved.command);
        } else {
            ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, CommandKey(saved.scheme).c_str());
        }
    }
}

std::vector<std::string> RecordingBrowser::Pages() const {
    return SplitLines(ReadBytes(m_dir / L"pages.txt"));
}

std::vector<DWORD> RecordingBrowser::Starters() const {
    std::vector<DWORD> ids;
    for (const std::string& line : SplitLines(ReadBytes(m_dir / L"pages.txt.from"))) {
        ids.push_back(std::stoul(line));
    }
    return ids;
}

std::vector<std::string> RecordingBrowser::WaitForPages(size_t count, DWORD timeoutMs) const {
    std::vector<std::string> pages;
    WaitFor([&]() { return (pages = Pages()).size() >= count; }, timeoutMs);
    return pages;
}

std::vector<std::string> RecordingBrowser::PagesBefore(const std::string& last,
                                                       DWORD timeoutMs) const {
    std::vector<std::string> pages;
    WaitFor(
        [&]() {
            pages = Pages();
            return std::find(pages.begin(), pages.end(), last) != pages.end();
        },
        timeoutMs);
    pages.erase(std::find(pages.begin(), pages.end(), last), pages.end());
    return pages;
}

}  // namespace test
