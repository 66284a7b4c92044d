#pragma once
// A temporary folder holding a copy of the feedback library from beside the test program
// and, once written, its configuration file.

#include <windows.h>

#include <string>

#include "feedback/FeedbackLibrary.h"
#include "support/TestFiles.h"
#include "support/Text.h"
#include "support/ToolRun.h"

namespace test {

class LibraryFolder {
public:
    LibraryFolder() {
        ::CopyFileW((ProgramDirectory() + L"\\HarvaneFeedbackInformation.dll").c_str(),
                    LibraryPath().c_str(), TRUE);
    }
    const std::wstring& Path() const { return m_dir.Path(); }
    std::wstring LibraryPath() const { return m_dir / L"HarvaneFeedbackInformation.dll"; }
    // Loads the copy, as the tool loads the library whose hash it carries.
    bool LoadInto(CFeedbackLibrary& library) const {
        return library.Load(Path(), FileSha256(LibraryPath()));
    }

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

}  // namespace test
