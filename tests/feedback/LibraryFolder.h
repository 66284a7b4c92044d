#pragma once
// A temporary folder holding a copy of the feedback library (taken from beside the test
// program) and, once written, its configuration file.

#include <windows.h>

#include <string>
#include <vector>

#include "feedback/FeedbackLibrary.h"
#include "support/RecordingBrowser.h"
#include "support/TestFiles.h"

namespace test {

class LibraryFolder {
public:
    LibraryFolder();

    const std::wstring& Path() const { return m_dir.Path(); }
    std::wstring LibraryPath() const;

    // Writes the configuration file: `addressLines` ("Key=value" lines, CR LF ended) in
    // the address section, then `extraLines` as they are.
    void WriteConfig(const std::string& addressLines, const std::string& extraLines = "") const;

private:
    TempDir m_dir;
};

std::string Utf8(const std::wstring& text);

// Once `expected` pages have reached `browser`, every page it received before a last one
// that `library` opens: a page opened by mistake shows here.
std::vector<std::string> AllPagesOpened(CFeedbackLibrary& library, const RecordingBrowser& browser,
                                        size_t expected = 0);

}  // namespace test
