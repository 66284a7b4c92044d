#pragma once
// Drives the real tool as a user would: a folder of its own holding the program and its
// feedback library, the running process, its windows found from outside, and real mouse
// input.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace e2e {

// A folder of the tool's own, with the program and (unless told otherwise) its library
// and the library's configuration, copied from beside this test program.
class ToolFolder {
public:
    struct Options {
        std::wstring name = L"Ombrel e2e";  // under the system drive's root
        bool withLibrary = true;
        std::wstring library = L"HarvaneFeedbackInformation.dll";  // the file to copy in
        std::string ini;  // the library's configuration file; empty: none
        // Further files from beside this test program: {source, name in the folder}.
        std::vector<std::pair<std::wstring, std::wstring>> extraFiles;
    };
    explicit ToolFolder(const Options& options);
    ~ToolFolder();
    ToolFolder(const ToolFolder&) = delete;
    ToolFolder& operator=(const ToolFolder&) = delete;

    const std::wstring& Path() const { return m_path; }
    std::wstring Program() const { return m_path + L"\\TovricOmbrel.exe"; }

private:
    std::wstring m_path;
};

class ToolProcess {
public:
    explicit ToolProcess(const std::wstring& program);
    ~ToolProcess();  // ends the process if it still runs
    ToolProcess(const ToolProcess&) = delete;
    ToolProcess& operator=(const ToolProcess&) = delete;

    bool Started() const { return m_process != nullptr; }
    DWORD Id() const { return m_processId; }
    // The exit code, or STILL_ACTIVE when it has not ended within `timeoutMs`.
    DWORD WaitForExit(DWORD timeoutMs);

    // The control panel once it is visible, or null.
    HWND WaitForPanel(DWORD timeoutMs);
    HWND MainWindow() const;
    // A visible prompt's inner dialog (the one with the text control), or null.
    HWND WaitForPrompt(DWORD timeoutMs);
    // A visible progress dialog's inner dialog, or null.
    HWND WaitForProgress(DWORD timeoutMs);
    // The visible top-level windows of the process.
    std::vector<HWND> Windows() const;
    // A visible top-level window of the process holding the control, or null.
    HWND WaitForWindowWithControl(int controlId, DWORD timeoutMs);

private:
    HANDLE m_process = nullptr;
    DWORD m_processId = 0;
};

// Closes the tool as a user does: WM_CLOSE to its main window, then the closing
// question's own close button. True once the process has ended.
bool CloseThroughQuestion(ToolProcess& process);
// Waits until every process that `parentId` started and that still runs has ended (the
// tool's removal outlives it); false when one is still running after `timeoutMs`.
bool WaitForProcessesStartedBy(DWORD parentId, DWORD timeoutMs);

std::wstring ControlText(HWND dialog, int controlId);
RECT ControlRect(HWND dialog, int controlId);  // screen coordinates
POINT ControlCentre(HWND dialog, int controlId);
// Waits (up to 3 s) until the control has kept its place for a moment: a window that has
// just appeared may still be laying itself out, and a user clicks what stays put.
void WaitUntilStill(HWND dialog, int controlId);
// Real input: a left click at the control's centre.
void ClickControl(HWND dialog, int controlId);
// Which window a click at `screen` reaches, told relative to `dialog`, for failure reports.
std::string DescribeWindowAt(POINT screen, HWND dialog);

// Waits until `condition` holds or `timeoutMs` passes, letting the tool work meanwhile.
template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (::GetTickCount64() >= deadline) return false;
        ::Sleep(50);
    }
    return true;
}

// Clicks the control until `done` holds, up to three times, each once the control stays
// put: as a user whose click went astray clicks again.
template <typename Condition>
bool ClickUntil(HWND dialog, int controlId, Condition done) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        WaitUntilStill(dialog, controlId);
        ClickControl(dialog, controlId);
        if (WaitFor(done, 3000)) return true;
    }
    return false;
}

}  // namespace e2e
