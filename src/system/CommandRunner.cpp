#include "system/CommandRunner.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "system/ProcessFolders.h"
#include "system/SystemEnvironment.h"
#include "system/Wow64Probe.h"
#include "system/Wow64Redirection.h"
#include "win/UniqueHandle.h"

namespace {

const size_t kCommandLineChars = 2048;
const DWORD kChunkBytes = 4095;
const DWORD kPauseAfterChunkMs = 500;
const DWORD kDefaultTimeLimitMs = 60000;
// How often a quiet pipe is checked for the child's end.
const DWORD kPollMs = 20;
// Termination is asynchronous; this bounds the wait for it to take effect.
const DWORD kEndWaitMs = 5000;
const UINT kEndedExitCode = 1;

// The whole line or nothing: a command cut short could do something else than was asked.
bool FormatCommandLine(const std::wstring& command, wchar_t (&line)[kCommandLineChars]) {
    const std::wstring text = L"cmd /D /C " + command;
    if (text.size() >= kCommandLineChars || text.find(L'\0') != std::wstring::npos) return false;
    std::copy(text.begin(), text.end(), line);
    line[text.size()] = L'\0';
    return true;
}

// Decoded once, whole: a double-byte character split between two reads stays one
// character, and a zero byte does not hide what follows it.
std::wstring DecodeAnsi(const std::string& bytes) {
    if (bytes.empty()) return std::wstring();
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, &wide[0], length);
    return wide;
}

// A job that ends every process in it when it is ended or closed; children of its
// processes belong to it too. Where the program itself runs in a job that allows no
// nesting (Windows 7), the child cannot join and runs without one.
class KillOnCloseJob {
public:
    KillOnCloseJob() : m_job(::CreateJobObjectW(nullptr, nullptr)) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (m_job && !::SetInformationJobObject(m_job.Get(), JobObjectExtendedLimitInformation,
                                                &limits, sizeof(limits))) {
            m_job.Reset();
        }
    }

    void Adopt(HANDLE process) {
        if (m_job && !::AssignProcessToJobObject(m_job.Get(), process)) m_job.Reset();
    }

    void EndAll() {
        if (m_job) ::TerminateJobObject(m_job.Get(), kEndedExitCode);
    }

private:
    win::UniqueKernelHandle m_job;
};

enum class Chunk { Read, NoneYet, PipeClosed };

// Takes at most one chunk of what the pipe holds, without waiting for more.
Chunk ReadChunk(HANDLE readEnd, std::string& bytes) {
    DWORD waiting = 0;
    const bool open = ::PeekNamedPipe(readEnd, nullptr, 0, nullptr, &waiting, nullptr) != 0;
    if (open && waiting == 0) return Chunk::NoneYet;
    // Here the bytes are there, or every writer is gone: the read does not block.
    char buffer[kChunkBytes];
    DWORD read = 0;
    if (!::ReadFile(readEnd, buffer, kChunkBytes, &read, nullptr) || read == 0) {
        return Chunk::PipeClosed;
    }
    bytes.append(buffer, read);
    return Chunk::Read;
}

// Collects the output until the child ends or the time limit passes, then ends whatever
// is left in its job and takes what is still buffered: a process left behind that holds
// the pipe open costs no waiting.
std::string CollectOutput(HANDLE readEnd, HANDLE process, KillOnCloseJob& job, DWORD timeLimitMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeLimitMs;
    std::string bytes;
    bool running = true;
    while (running) {
        const Chunk chunk = ReadChunk(readEnd, bytes);
        if (chunk == Chunk::Read) ::Sleep(kPauseAfterChunkMs);
        const DWORD wait = chunk == Chunk::Read ? 0 : kPollMs;
        running =
            ::WaitForSingleObject(process, wait) == WAIT_TIMEOUT && ::GetTickCount64() < deadline;
    }
    job.EndAll();
    ::TerminateProcess(process, kEndedExitCode);  // without a job, the child at least
    ::WaitForSingleObject(process, kEndWaitMs);
    // Only what is buffered by now: a process that outlived a missing job may write on.
    DWORD buffered = 0;
    const bool open = ::PeekNamedPipe(readEnd, nullptr, 0, nullptr, &buffered, nullptr) != 0;
    const size_t end = bytes.size() + buffered;
    while ((!open || bytes.size() < end) && ReadChunk(readEnd, bytes) == Chunk::Read) {
        ::Sleep(kPauseAfterChunkMs);
    }
    return bytes;
}

}  // namespace

int RunCommand(std::wstring command, std::wstring& output) {
    return RunCommand(std::move(command), output, kDefaultTimeLimitMs);
}

int RunCommand(std::wstring command, std::wstring& output, unsigned long timeLimitMs) {
    wchar_t commandLine[kCommandLineChars];
    if (!FormatCommandLine(command, commandLine)) return 0;

    RedirectionOff redirection(IsRunningOnWow64() == 1);
    if (!redirection.Ok()) return 0;

    // The interpreter is named by its full path and started in the system folder, so a
    // cmd.exe or reg.exe planted beside the program or in the current folder never runs.
    const std::wstring systemDir = SystemDirectory();
    // And with the system's environment, not the user's: Path and PATHEXT decide which reg
    // the interpreter runs.
    std::wstring environment = SystemEnvironmentBlock();
    if (systemDir.empty() || environment.empty()) return 0;
    const std::wstring interpreter = systemDir + L"\\cmd.exe";

    // Only the write end goes to the child; the read end stays this process's own.
    win::UniqueKernelHandle readEnd;
    win::UniqueKernelHandle writeEnd;
    if (!::CreatePipe(readEnd.Put(), writeEnd.Put(), nullptr, 0) ||
        !::SetHandleInformation(writeEnd.Get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) {
        return 0;
    }

    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    ::GetStartupInfoW(&startup);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = writeEnd.Get();

    // Suspended until it is in the job, so nothing it starts can escape the job.
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(interpreter.c_str(), commandLine, nullptr, nullptr, TRUE,
                          CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT, &environment[0],
                          systemDir.c_str(), &startup, &process)) {
        return 0;
    }
    win::UniqueKernelHandle processHandle(process.hProcess);
    win::UniqueKernelHandle threadHandle(process.hThread);
    KillOnCloseJob job;
    job.Adopt(processHandle.Get());
    if (::ResumeThread(threadHandle.Get()) == static_cast<DWORD>(-1)) {
        ::TerminateProcess(processHandle.Get(), kEndedExitCode);
        return 0;
    }

    // Only the child side may hold the write end now, so the pipe breaks when it ends.
    writeEnd.Reset();
    output += DecodeAnsi(CollectOutput(readEnd.Get(), processHandle.Get(), job, timeLimitMs));
    return 1;
}
