#pragma once
// A temporary folder holding a copy of the feedback library from beside the test program
// and, once written, its configuration file.

#include <shlobj.h>
#include <windows.h>

#include <string>

#include "feedback/FeedbackLibrary.h"
#include "support/TestFiles.h"

namespace test {

class LibraryFolder {
public:
    LibraryFolder() {
        ::CopyFileW((ProgramDirectory() + L"\\HarvaneFeedbackInformation.dll").c_str(),
                    LibraryPath().c_str(), TRUE);
    }
    const std::wstring& Path() const { return m_dir.Path(); }
    std::wstring LibraryPath() const { return m_dir / L"HarvaneFeedbackInformation.dll"; }

    // `lines` go into the address section; the update check stays on this machine
    // (nothing listens on port 1) unless they name a manifest.
    void WriteConfig(const std::string& lines, const std::string& extra = "") const {
        const bool manifest = lines.find("UpdateManifest=") != std::string::npos;
        WriteBytes(m_dir / L"HarvaneFeedbackInformation.ini",
                   "[Addresses]\r\n" + lines +
                       (manifest ? "" : "UpdateManifest=http://127.0.0.1:1/\r\n") + extra);
    }

private:
    TempDir m_dir;
};

// Where the library records answers, one line each.
inline std::wstring AnswerFile() {
    wchar_t common[MAX_PATH] = {};
    ::SHGetSpecialFolderPathW(nullptr, common, CSIDL_COMMON_APPDATA, FALSE);
    return std::wstring(common) + L"\\HarvaneFeedback\\CustomerFeedback.txt";
}

inline std::string Utf8(const std::wstring& text) {
    std::string bytes(text.size() * 3, '\0');
    bytes.resize(::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       &bytes[0], static_cast<int>(bytes.size()), nullptr,
                                       nullptr));
    return bytes;
}

}  // namespace test
