#pragma once
// Drives the real tool as a user would: a folder of its own holding the program and its
// feedback library, the running process and its windows found from outside; and the
// machine state it acts on (the USB storage driver's "Start", the answers file).

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace test {

// A folder of the tool's own, with the program and (unless told otherwise) its library
// and the library's configuration, copied from beside this test program.
class ToolFolder {
public:
    struct Options {
        std::wstring name = L"Ombrel e2e";  // under the system drive's root
        bool withLibrary = true;
        std::wstring library = L"HarvaneFeedbackInformation.dll";  // the file to copy in
        // The program carries the hash of the library copied in, as the build makes it carry
        // the hash of the library beside it; false: it carries the shipped library's.
        bool trustLibrary = true;
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
    bool Running() { return WaitForExit(0) == STILL_ACTIVE; }

    // The control panel once it and the main window are visible, or null.
    HWND WaitForPanel(DWORD timeoutMs);
    HWND MainWindow() const;
    // A visible window of the process holding the control (a prompt's text, the progress
    // text, the closing question's buttons), or null.
    HWND WaitForWindowWithControl(int controlId, DWORD timeoutMs);
    HWND WaitForPrompt(DWORD timeoutMs);
    HWND WaitForProgress(DWORD timeoutMs);
    std::vector<HWND> Windows() const;  // visible top-level windows

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

// The USB storage driver's "Start" (64-bit view); 0xFFFFFFFF when it cannot be read.
DWORD UsbStorStart();
bool SetUsbStorStart(DWORD value);
void RemoveUsbStorKey();
// Where the feedback library keeps the closing question's answers.
std::wstring AnswerFilePath();

}  // namespace test
