#pragma once
// Registers the recording stand-in (page_recorder.exe, beside the test program) as the
// prefix's http and https handler while it lives, and restores the previous handlers after:
// whatever opens a web page through the shell, in any process of the prefix, lands in a
// file the test reads instead of in a browser.

#include <windows.h>

#include <string>
#include <vector>

#include "support/TestFiles.h"

namespace test {

class RecordingBrowser {
public:
    RecordingBrowser();
    ~RecordingBrowser();
    RecordingBrowser(const RecordingBrowser&) = delete;
    RecordingBrowser& operator=(const RecordingBrowser&) = delete;

    bool Registered() const { return m_registered; }

    // The addresses received so far, in order of arrival.
    std::vector<std::string> Pages() const;

    // The ids of the processes that started the stand-in, in the same order.
    std::vector<DWORD> Starters() const;

    // Waits until at least `count` addresses have arrived (the stand-in is a process of its
    // own); the addresses received by then.
    std::vector<std::string> WaitForPages(size_t count, DWORD timeoutMs = 10000) const;

    // Waits until `last` has arrived and gives what arrived before it. Opened after all
    // else, it shows that nothing else is still on its way.
    std::vector<std::string> PagesBefore(const std::string& last, DWORD timeoutMs = 10000) const;

private:
    struct SavedHandler {
        std::wstring scheme;
        bool existed = false;
        std::wstring command;
    };

    TempDir m_dir;
    std::vector<SavedHandler> m_saved;
    bool m_registered = true;
};

}  // namespace test
