#include "e2e/ToolRun.h"

#include <tlhelp32.h>

#include "resource.h"
#include "support/RealInput.h"
#include "support/TestFiles.h"
#include "win/UniqueHandle.h"

namespace e2e {

namespace {

std::wstring SystemDrive() {
    wchar_t drive[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(L"SystemDrive", drive, MAX_PATH)) return L"C:";
    return drive;
}

void Copy(const std::wstring& from, const std::wstring& to) {
    ::CopyFileW(from.c_str(), to.c_str(), FALSE);
}

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectVisible(HWND hWnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hWnd, &owner);
    if (owner == search->processId && ::IsWindowVisible(hWnd)) search->found.push_back(hWnd);
    return TRUE;
}

}  // namespace

ToolFolder::ToolFolder(const Options& options) : m_path(SystemDrive() + L"\\" + options.name) {
    test::RemoveTree(m_path);
    ::CreateDirectoryW(m_path.c_str(), nullptr);
    const std::wstring here = test::ProgramDirectory();
    Copy(here + L"\\TovricOmbrel.exe", Program());
    if (options.withLibrary) {
        Copy(here + L"\\" + options.library, m_path + L"\\HarvaneFeedbackInformation.dll");
    }
    for (const auto& file : options.extraFiles) {
        Copy(here + L"\\" + file.first, m_path + L"\\" + file.second);
    }
    if (options.withLibrary && !options.ini.empty()) {
        test::WriteBytes(m_path + L"\\HarvaneFeedbackInformation.ini", options.ini);
    }
}

ToolFolder::~ToolFolder() { test::RemoveTree(m_path); }

ToolProcess::ToolProcess(const std::wstring& program) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::wstring commandLine = L"\"" + program + L"\"";
    const std::wstring folder = program.substr(0, program.rfind(L'\\'));
    if (::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                         folder.c_str(), &startup, &info)) {
        ::CloseHandle(info.hThread);
        m_process = info.hProcess;
        m_processId = info.dwProcessId;
    }
}

ToolProcess::~ToolProcess() {
    if (m_process == nullptr) return;
    if (::WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(m_process, 99);
        ::WaitForSingleObject(m_process, 5000);
    }
    ::CloseHandle(m_process);
}

DWORD ToolProcess::WaitForExit(DWORD timeoutMs) {
    if (m_process == nullptr || ::WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0) {
        return STILL_ACTIVE;
    }
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(m_process, &code);
    return code;
}

std::vector<HWND> ToolProcess::Windows() const {
    WindowSearch search = {m_processId, {}};
    ::EnumWindows(&CollectVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ToolProcess::WaitForWindowWithControl(int controlId, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor(
        [&]() {
            for (HWND hWnd : Windows()) {
                if (::GetDlgItem(hWnd, controlId) != nullptr) {
                    found = hWnd;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

HWND ToolProcess::WaitForPanel(DWORD timeoutMs) {
    // The panel shows during the main window's initialisation, the main window after it.
    HWND panel = WaitForWindowWithControl(IDC_DISABLE_BUTTON, timeoutMs);
    if (panel == nullptr || !WaitFor([this]() { return MainWindow() != nullptr; }, timeoutMs)) {
        return nullptr;
    }
    return panel;
}

HWND ToolProcess::MainWindow() const {
    for (HWND hWnd : Windows()) {
        wchar_t title[64] = {};
        ::GetWindowTextW(hWnd, title, 64);
        if (std::wstring(title) == L"Ombrel" && ::GetWindow(hWnd, GW_OWNER) == nullptr &&
            ::GetDlgItem(hWnd, IDC_DISABLE_BUTTON) == nullptr) {
            return hWnd;
        }
    }
    return nullptr;
}

HWND ToolProcess::WaitForPrompt(DWORD timeoutMs) {
    return WaitForWindowWithControl(IDC_PROMPT_TEXT, timeoutMs);
}

HWND ToolProcess::WaitForProgress(DWORD timeoutMs) {
    return WaitForWindowWithControl(IDC_PROGRESS_TEXT, timeoutMs);
}

bool CloseThroughQuestion(ToolProcess& process) {
    ::PostMessageW(process.MainWindow(), WM_CLOSE, 0, 0);
    HWND question = process.WaitForWindowWithControl(IDC_FEEDBACK_CLOSE_BUTTON, 15000);
    return question != nullptr && ClickUntil(question, IDC_FEEDBACK_CLOSE_BUTTON, [&]() {
               return process.WaitForExit(0) != STILL_ACTIVE;
           });
}

bool WaitForProcessesStartedBy(DWORD parentId, DWORD timeoutMs) {
    std::vector<win::UniqueKernelHandle> children;
    win::UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more;
         more = ::Process32NextW(snapshot.Get(), &entry)) {
        if (entry.th32ParentProcessID != parentId) continue;
        HANDLE child = ::OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (child != nullptr) children.emplace_back(child);
    }
    bool ended = true;
    for (const win::UniqueKernelHandle& child : children) {
        ended = ::WaitForSingleObject(child.Get(), timeoutMs) == WAIT_OBJECT_0 && ended;
    }
    return ended;
}

std::wstring ControlText(HWND dialog, int controlId) {
    wchar_t text[512] = {};
    ::GetDlgItemTextW(dialog, controlId, text, 512);
    return text;
}

RECT ControlRect(HWND dialog, int controlId) {
    RECT rect = {};
    ::GetWindowRect(::GetDlgItem(dialog, controlId), &rect);
    return rect;
}

POINT ControlCentre(HWND dialog, int controlId) {
    const RECT rect = ControlRect(dialog, controlId);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void WaitUntilStill(HWND dialog, int controlId) {
    const DWORD kStillMs = 200;
    RECT before = ControlRect(dialog, controlId);
    for (int attempt = 0; attempt < 15; ++attempt) {
        ::Sleep(kStillMs);
        const RECT now = ControlRect(dialog, controlId);
        if (::EqualRect(&before, &now)) return;
        before = now;
    }
}

void ClickControl(HWND dialog, int controlId) { test::ClickAt(ControlCentre(dialog, controlId)); }

std::string DescribeWindowAt(POINT screen, HWND dialog) {
    HWND hWnd = ::WindowFromPoint(screen);
    if (hWnd == nullptr) return "no window";
    char className[64] = {};
    ::GetClassNameA(hWnd, className, sizeof(className));
    HWND root = ::GetAncestor(hWnd, GA_ROOT);
    std::string text = "a window of class " + std::string(className);
    if (hWnd == dialog || root == dialog) {
        text += " in the dialog clicked";
    } else if (root == ::GetWindow(dialog, GW_OWNER)) {
        text += ", the dialog's owner (its frame)";
    } else if (HWND child = ::GetWindow(root, GW_CHILD)) {
        text += ", a window holding control " + std::to_string(::GetDlgCtrlID(child));
    }
    DWORD process = 0;
    DWORD dialogProcess = 0;
    ::GetWindowThreadProcessId(hWnd, &process);
    ::GetWindowThreadProcessId(dialog, &dialogProcess);
    if (process != dialogProcess) text += ", of another process";
    if (!::IsWindowEnabled(root)) text += ", disabled";
    return text;
}

}  // namespace e2e
