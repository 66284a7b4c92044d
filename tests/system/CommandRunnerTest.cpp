#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "support/TestFiles.h"
#include "system/CommandRunner.h"

namespace {

std::wstring StandIn() { return test::ProgramDirectory() + L"\\" + L"" COMMAND_STAND_IN; }

// What the switch's reg prints: Chinese text in the ANSI code page, errors on standard
// error; appended behind what the caller had.
TEST(CommandRunner, AppendsTheDecodedOutputOfBothStreams) {
    struct Case {
        const char* what;
        std::wstring command;
        std::wstring added;  // behind the caller's "kept"
    } cases[] = {
        {"ANSI code page", L"echo 中文输出", L"中文输出\r\n"},
        {"standard error", L"echo oops>&2", L"oops\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::wstring output = L"kept";
        EXPECT_EQ(1, RunCommand(c.command, output));
        EXPECT_EQ(L"kept" + c.added, output);
    }
}

#ifndef _WIN64
// On 64-bit Windows a 32-bit process must reach the 64-bit interpreter and reg: what reg
// writes lands in the registry's 64-bit view (a 64-bit process reaches it anyway: the i686
// run alone checks this).
TEST(CommandRunner, ReachesThe64BitRegOn64BitWindows) {
    std::wstring output;
    ASSERT_EQ(1, RunCommand(L"reg add HKLM\\Software\\OmbrelView /v Bits /d 64 /f", output));
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\OmbrelView", 0,
                                           KEY_READ | KEY_WOW64_64KEY, &key))
        << "not in the 64-bit view";
    RegCloseKey(key);
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"Software\\OmbrelView", KEY_WOW64_64KEY, 0);
}
#endif

TEST(CommandRunner, EndsWhatTheCommandLeavesRunningInsteadOfWaitingForIt) {
    struct Case {
        const char* what;
        const wchar_t* mode;
        DWORD timeLimitMs;
    } cases[] = {
        {"a child left holding the pipe for 20 s", L" spawn ", 60000},
        {"the command itself past the time limit", L" linger ", 4000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        const std::wstring marker = dir / L"held-to-the-end";
        std::wstring output;
        ASSERT_TRUE(RunCommand(StandIn() + c.mode + L"20000 " + marker, output, c.timeLimitMs));
        EXPECT_FALSE(test::Exists(marker)) << "the runner waited for it to finish";
        DWORD pid = 0;
        ASSERT_EQ(1, swscanf(output.c_str(), L"pid %lu", &pid));
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);  // null once it is gone
        EXPECT_TRUE(!process || WaitForSingleObject(process, 10000) == WAIT_OBJECT_0)
            << "it was left running";
        if (process) CloseHandle(process);
    }
}

// Nor from the Path and PATHEXT this process has: the user's own environment decides them.
TEST(CommandRunner, InterpreterAndRegAreNeverTakenFromTheProgramOrCurrentFolder) {
    test::TempDir current, onPath;
    const std::wstring planted = test::ProgramDirectory() + L"\\" + L"" PLANTED_TOOL_PATH;
    std::vector<std::wstring> copies;
    for (const std::wstring& folder : {test::ProgramDirectory(), current.Path(), onPath.Path()}) {
        for (const wchar_t* name : {L"\\cmd.exe", L"\\reg.exe"}) {
            copies.push_back(folder + name);
            EXPECT_TRUE(CopyFileW(planted.c_str(), copies.back().c_str(), FALSE));
        }
        copies.push_back(folder + L"\\reg.bat");
        test::WriteBytes(copies.back(), "@echo PLANTED\r\n");
    }
    wchar_t previous[MAX_PATH] = {}, path[32768] = {}, pathExt[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    GetEnvironmentVariableW(L"PATH", path, 32768);
    GetEnvironmentVariableW(L"PATHEXT", pathExt, MAX_PATH);
    SetCurrentDirectoryW(current.Path().c_str());
    SetEnvironmentVariableW(L"PATH", (onPath.Path() + L";" + path).c_str());
    SetEnvironmentVariableW(L"PATHEXT", L".BAT;.EXE");
    std::wstring output, variables;
    EXPECT_TRUE(RunCommand(L"reg add HKCU\\Software\\OmbrelTest /v Planted /d 1 /f", output));
    EXPECT_TRUE(RunCommand(L"echo %PATHEXT%", variables));
    SetCurrentDirectoryW(previous);
    SetEnvironmentVariableW(L"PATH", path);
    SetEnvironmentVariableW(L"PATHEXT", pathExt);
    EXPECT_EQ(L".COM;.EXE;.BAT;.CMD\r\n", variables) << "the system's, not this process's";
    for (const std::wstring& copy : copies) DeleteFileW(copy.c_str());
    EXPECT_EQ(std::wstring::npos, output.find(L"PLANTED")) << "a planted program ran";
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\OmbrelTest"))
        << "the real reg did not write the value";
}

}  // namespace
