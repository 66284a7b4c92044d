#include "support/ToolRun.h"

#include <tlhelp32.h>

#include <algorithm>

#include "resource.h"
#include "support/Controls.h"
#include "support/Registry.h"
#include "support/TestFiles.h"
#include "win/UniqueHandle.h"

namespace test {

namespace {

std::wstring Variable(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    ::GetEnvironmentVariableW(name, value, MAX_PATH);
    return value;
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

// Writes the library's hash after the marker of the program's library-hash resource, as
// tools/write-library-hash does.
void CarryLibraryHash(const std::wstring& program, const std::wstring& library) {
    // In two pieces: a program that links this file holds the marker once, in its resource.
    const std::string marker = std::string("OmbrelLibrary") + "SHA256:";
    std::string bytes = ReadBytes(program);
    const size_t at = bytes.find(marker);
    if (at == std::string::npos) return;
    const Sha256 hash = FileSha256(library);
    bytes.replace(at + marker.size(), hash.size(), reinterpret_cast<const char*>(hash.data()),
                  hash.size());
    WriteBytes(program, bytes);
}

}  // namespace

POINT ControlCentre(HWND dialog, int id) {
    const RECT rect = ControlRect(dialog, id);
    POINT centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ::ClientToScreen(dialog, &centre);
    return centre;
}

bool WaitUntilStill(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    RECT before = {};
    ::GetWindowRect(control, &before);
    return WaitFor(
        [&]() {
            ::Sleep(200);
            RECT now = {};
            ::GetWindowRect(control, &now);
            const bool still = ::EqualRect(&before, &now) != FALSE;
            before = now;
            return still;
        },
        3000);
}

ToolFolder::ToolFolder(const Options& options)
    : m_path(Variable(L"SystemDrive") + L"\\" + options.name) {
    RemoveTree(m_path);
    ::CreateDirectoryW(m_path.c_str(), nullptr);
    std::vector<std::pair<std::wstring, std::wstring>> files = options.extraFiles;
    files.emplace_back(L"TovricOmbrel.exe", L"TovricOmbrel.exe");
    if (options.withLibrary) {
        files.emplace_back(options.library, L"HarvaneFeedbackInformation.dll");
        if (!options.ini.empty())
            WriteBytes(m_path + L"\\HarvaneFeedbackInformation.ini", options.ini);
    }
    for (const auto& file : files) {
        ::CopyFileW((ProgramDirectory() + L"\\" + file.first).c_str(),
                    (m_path + L"\\" + file.second).c_str(), FALSE);
    }
    if (options.withLibrary && options.trustLibrary) {
        CarryLibraryHash(Program(), m_path + L"\\HarvaneFeedbackInformation.dll");
    }
}

ToolFolder::~ToolFolder() { RemoveTree(m_path); }

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
                if (::GetDlgItem(hWnd, controlId) != nullptr) found = hWnd;
            }
            return found != nullptr;
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
    return question != nullptr &&
           ClickUntil(question, IDC_FEEDBACK_CLOSE_BUTTON, [&]() { return !process.Running(); });
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

DWORD UsbStorStart() {
    const Stored start = Get(kUsbStor, L"Start");
    DWORD value = 0xFFFFFFFF;
    if (start.exists && start.data.size() == sizeof(value)) {
        std::copy(start.data.begin(), start.data.end(), reinterpret_cast<BYTE*>(&value));
    }
    return value;
}

bool SetUsbStorStart(DWORD value) {
    Put(kUsbStor, L"Start", Dword(value));
    return Get(kUsbStor, L"Start") == Dword(value);
}

void RemoveUsbStorKey() {
    if (const win::UniqueRegKey key = Open(kUsbStor, KEY_ALL_ACCESS)) {
        ::RegDeleteTreeW(key.Get(), nullptr);
    }
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kUsbStor, KEY_WOW64_64KEY, 0);
}

std::wstring AnswerFilePath() {
    return Variable(L"ProgramData") + L"\\HarvaneFeedback\\CustomerFeedback.txt";
}

}  // namespace test
