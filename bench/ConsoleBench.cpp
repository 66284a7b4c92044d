#include "ConsoleBench.h"

#include <windows.h>

#include <string>

#include "Figures.h"
#include "storage/StorageState.h"
#include "support/TestFiles.h"
#include "system/ProcessFolders.h"
#include "system/Wow64Probe.h"
#include "system/Wow64Redirection.h"
#include "win/UniqueHandle.h"

namespace bench {

namespace {

const DWORD kWaitMs = 60000;

// Milliseconds from CreateProcess until the process has ended, started as the tool starts
// its commands (no window, the system folder current, the real system folder seen); a
// negative value when it did not start, did not end in time or ended with another code
// than 0.
double TimeProcess(std::wstring commandLine) {
    const std::wstring systemDir = SystemDirectory();
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    Stopwatch watch;
    {
        RedirectionOff redirection(IsRunningOnWow64() == 1);
        if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                              nullptr, systemDir.c_str(), &startup, &process)) {
            return -1;
        }
    }
    win::UniqueKernelHandle processHandle(process.hProcess);
    win::UniqueKernelHandle threadHandle(process.hThread);
    const bool ended = ::WaitForSingleObject(processHandle.Get(), kWaitMs) == WAIT_OBJECT_0;
    const double ms = watch.Ms();
    DWORD exitCode = STILL_ACTIVE;
    ::GetExitCodeProcess(processHandle.Get(), &exitCode);
    return ended && exitCode == 0 ? ms : -1;
}

// Both commands timed one after the other; negative when either failed.
double TimeBoth(const std::wstring& off, const std::wstring& on) {
    const double first = TimeProcess(off);
    const double second = TimeProcess(on);
    return first < 0 || second < 0 ? -1 : first + second;
}

std::wstring RegAdd(DWORD start) {
    return L"\"" + SystemDirectory() + L"\\cmd.exe\" /D /C reg add \"HKEY_LOCAL_MACHINE\\" +
           kUsbStorKey + L"\" /v \"" + kUsbStorStartValue + L"\" /d " + std::to_wstring(start) +
           L" /t REG_DWORD /f";
}

}  // namespace

ConsoleRuns TimeConsoleAgainstReg(int runs) {
    ConsoleRuns result;
    const std::wstring ombrel = L"\"" + test::ProgramDirectory() + L"\\ombrel.exe\" ";
    for (int round = 0; round <= runs; ++round) {
        const double console = TimeBoth(ombrel + L"disable", ombrel + L"enable");
        const double reg = TimeBoth(RegAdd(kStartDisabled), RegAdd(kStartEnabled));
        if (console < 0 || reg < 0) result.allSucceeded = false;
        if (round == 0 || console <= 0 || reg < 0) continue;
        result.consoleMs.push_back(console);
        result.regMs.push_back(reg);
        result.speedups.push_back(reg / console);
    }
    DWORD start = 0;
    if (ReadUsbStorStart(&start) != 1 || start != kStartEnabled) result.allSucceeded = false;
    return result;
}

}  // namespace bench
