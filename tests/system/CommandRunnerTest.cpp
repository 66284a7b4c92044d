#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/TestFiles.h"
#include "system/CommandRunner.h"
#include "system/ProcessFolders.h"
#include "system/Wow64Probe.h"

namespace {

std::wstring RunOk(const std::wstring& command) {
    std::wstring output;
    EXPECT_EQ(1, RunCommand(command, output))
        << "command: " << std::string(command.begin(), command.end());
    return output;
}

std::wstring StandIn() { return test::ProgramDirectory() + L"\\" + L"" COMMAND_STAND_IN; }

TEST(CommandRunner, AppendsTheWholeOutputOrRefusesACommandItCannotRunWhole) {
    const std::wstring print = StandIn() + L" print ";
    struct Case {
        const char* what;
        std::wstring command;
        std::wstring before;
        int result;
        std::wstring expected;
    } cases[] = {
        {"nothing printed", L"rem nothing printed", L"kept", 1, L"kept"},
        {"behind old text", L"echo second", L"first\r\n", 1, L"first\r\nsecond\r\n"},
        {"ANSI code page", L"echo 中文输出", L"", 1, L"中文输出\r\n"},
        {"standard error", L"echo oops>&2", L"", 1, L"oops\r\n"},
        {"failing command", L"exit /b 5", L"", 1, L""},
        // 中 is D6 D0 in code page 936; the first read of 4095 bytes ends after D6.
        {"character across two reads", print + L"4094 D6D062", L"", 1,
         std::wstring(4094, L'a') + L"中b"},
        {"zero byte", print + L"0 6265666F72650061667465720D0A", L"", 1,
         std::wstring(L"before\0after\r\n", 14)},
        // "cmd /D /C ", the command and its terminator fill the 2048 units exactly.
        {"longest command", L"echo " + std::wstring(2032, L'x'), L"", 1,
         std::wstring(2032, L'x') + L"\r\n"},
        {"one unit too long", L"echo " + std::wstring(2033, L'x'), L"kept", 0, L"kept"},
        {"zero in the command", std::wstring(L"echo a\0b", 8), L"kept", 0, L"kept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::wstring output = c.before;
        EXPECT_EQ(c.result, RunCommand(c.command, output));
        EXPECT_EQ(c.expected, output);
    }
}

// True once process `pid` has ended (or is gone), allowing an ending under way to finish.
bool Ended(DWORD pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) return true;
    const bool ended = WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

TEST(CommandRunner, EndsWhatTheCommandLeavesRunningInsteadOfWaitingForIt) {
    struct Case {
        const char* what;
        const wchar_t* mode;
        DWORD timeLimitMs;
    } cases[] = {
        // The command ends at once; the process it started holds the pipe for 20 s.
        {"left behind", L" spawn ", 60000},
        // The command itself runs past the time limit.
        {"over time", L" linger ", 4000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        const std::wstring marker = dir / L"held-to-the-end";
        std::wstring output;
        ASSERT_EQ(1, RunCommand(StandIn() + c.mode + L"20000 " + marker, output, c.timeLimitMs));
        EXPECT_FALSE(test::Exists(marker)) << "the runner waited for it to finish";
        DWORD pid = 0;
        ASSERT_EQ(1, swscanf(output.c_str(), L"pid %lu", &pid));
        EXPECT_TRUE(Ended(pid)) << "it was left running";
    }
}

#ifdef _WIN64
TEST(Wow64Probe, NativeProcessTakesTheNativeRoad) {
    EXPECT_EQ(0, IsRunningOnWow64());
    EXPECT_EQ(L"AMD64\r\n", RunOk(L"echo %PROCESSOR_ARCHITECTURE%"));
}
#else
TEST(Wow64Probe, ThirtyTwoBitProcessOnSixtyFourBitWindowsStartsTheSixtyFourBitInterpreter) {
    ASSERT_EQ(1, IsRunningOnWow64()) << "the test bench runs a 64-bit prefix";
    // With redirection left on, the 32-bit interpreter would answer x86.
    EXPECT_EQ(L"AMD64\r\n", RunOk(L"echo %PROCESSOR_ARCHITECTURE%"));
}

TEST(Wow64Probe, RedirectionIsBackOnForTheCallingThreadAfterwards) {
    // Written through system32 while redirection is on, the marker lands in the 32-bit
    // system folder; it is found through system32 again only if redirection is on.
    const std::wstring marker = SystemDirectory() + L"\\ombrel-redirection-marker.txt";
    test::WriteBytes(marker, "x");
    ASSERT_TRUE(test::Exists(marker));
    RunOk(L"rem");
    EXPECT_TRUE(test::Exists(marker));
    PVOID saved = nullptr;
    ASSERT_TRUE(Wow64DisableWow64FsRedirection(&saved));
    const bool visibleInNativeFolder = test::Exists(marker);
    Wow64RevertWow64FsRedirection(saved);
    EXPECT_FALSE(visibleInNativeFolder);
    ::DeleteFileW(marker.c_str());
}
#endif

// A planted copy for the length of one test.
class PlantedCopy {
public:
    PlantedCopy(const std::wstring& source, const std::wstring& target) : m_target(target) {
        m_planted = ::CopyFileW(source.c_str(), target.c_str(), FALSE) != 0;
    }
    ~PlantedCopy() { ::DeleteFileW(m_target.c_str()); }
    bool Planted() const { return m_planted; }

private:
    std::wstring m_target;
    bool m_planted;
};

TEST(CommandRunner, InterpreterAndRegAreNeverTakenFromTheProgramOrCurrentFolder) {
    const std::wstring source = test::ProgramDirectory() + L"\\" + L"" PLANTED_TOOL_PATH;
    test::TempDir current;
    std::vector<std::unique_ptr<PlantedCopy>> planted;
    for (const std::wstring& folder : {test::ProgramDirectory(), current.Path()}) {
        for (const wchar_t* name : {L"cmd.exe", L"reg.exe"}) {
            planted.push_back(std::make_unique<PlantedCopy>(source, folder + L"\\" + name));
            ASSERT_TRUE(planted.back()->Planted());
        }
    }
    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ::SetCurrentDirectoryW(current.Path().c_str());

    const std::wstring output = RunOk(L"reg add HKCU\\Software\\OmbrelTest /v Planted /d 1 /f");
    ::SetCurrentDirectoryW(previous);

    EXPECT_EQ(std::wstring::npos, output.find(L"PLANTED")) << "a planted program ran";
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\OmbrelTest", 0, KEY_READ, &key))
        << "the real reg did not write the value";
    RegCloseKey(key);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\OmbrelTest");
}

}  // namespace
