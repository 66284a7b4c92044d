#pragma once
// A temporary folder holding a copy of the feedback library (taken from beside the test
// program) and, once written, its configuration file. Pages the library opens are
// recorded in a file of the folder instead of reaching a browser.

#include <windows.h>

#include <string>
#include <vector>

#include "support/TestFiles.h"

namespace test {

class LibraryFolder {
public:
    LibraryFolder();

    const std::wstring& Path() const { return m_dir.Path(); }
    std::wstring LibraryPath() const;
    std::wstring operator/(const std::wstring& name) const { return m_dir / name; }

    // Writes the configuration file: `addressLines` ("Key=value" lines, CR LF ended) in
    // the address section, and the testing key that records opened pages.
    void WriteConfig(const std::string& addressLines) const;

    // The addresses the library handed on, in order.
    std::vector<std::string> OpenedPages() const;

    // An entry point of the loaded copy that the tool's binding does not offer.
    template <typename Function>
    Function Export(const char* name) const {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleW(LibraryPath().c_str()), name)));
    }

private:
    TempDir m_dir;
};

std::string Utf8(const std::wstring& text);

}  // namespace test
