#include "feedback/LibraryFolder.h"

#include <gtest/gtest.h>

namespace test {

namespace {
const wchar_t kLibraryName[] = L"HarvaneFeedbackInformation.dll";
}

LibraryFolder::LibraryFolder() {
    ::CopyFileW((ProgramDirectory() + L"\\" + kLibraryName).c_str(), LibraryPath().c_str(), TRUE);
}

std::wstring LibraryFolder::LibraryPath() const { return m_dir / kLibraryName; }

void LibraryFolder::WriteConfig(const std::string& addressLines,
                                const std::string& extraLines) const {
    // Unless a test says otherwise, the update check stays on this machine: nothing
    // listens on port 1.
    const bool manifestGiven = addressLines.find("UpdateManifest=") != std::string::npos;
    WriteBytes(m_dir / L"HarvaneFeedbackInformation.ini",
               "[Addresses]\r\n" + addressLines +
                   (manifestGiven ? "" : "UpdateManifest=http://127.0.0.1:1/\r\n") + extraLines);
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], size, nullptr, nullptr);
    bytes.resize(static_cast<size_t>(size - 1));
    return bytes;
}

std::vector<std::string> AllPagesOpened(CFeedbackLibrary& library, const RecordingBrowser& browser,
                                        size_t expected) {
    browser.WaitForPages(expected);
    BSTR last = ::SysAllocString(L"https://last.example/");
    EXPECT_EQ(1, library.OpenUrl(last));
    ::SysFreeString(last);
    return browser.PagesBefore("https://last.example/");
}

}  // namespace test
