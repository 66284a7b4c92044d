#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/TestFiles.h"
#include "system/CommandRunner.h"

namespace {

std::wstring RunOk(const std::wstring& command, std::wstring output = std::wstring()) {
    EXPECT_EQ(1, RunCommand(command, output))
        << "command: " << std::string(command.begin(), command.end());
    return output;
}

TEST(CommandRunner, CollectsOutputAndAppendsBehindExistingText) {
    struct Case {
        const wchar_t* command;
        const wchar_t* before;
        const wchar_t* expected;
    } cases[] = {
        {L"rem nothing printed", L"", L""},
        {L"rem nothing printed", L"kept", L"kept"},
        {L"echo hello", L"", L"hello\r\n"},
        {L"echo second", L"first\r\n", L"first\r\nsecond\r\n"},
        {L"echo 中文输出", L"", L"中文输出\r\n"},  // decoded from the ANSI code page
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, RunOk(c.command, c.before));
    }
}

TEST(CommandRunner, FailingCommandStillCountsAsRunAndItsErrorTextIsCollected) {
    std::wstring output = RunOk(L"ombrel_no_such_program_here");
    EXPECT_FALSE(output.empty());
    output = RunOk(L"exit /b 5");  // a non-zero exit status changes nothing
    EXPECT_TRUE(output.empty());
}

TEST(CommandRunner, LongOutputArrivesCompleteAndInOrderAcrossChunks) {
    // About 17 KB: several reads of at most 4095 bytes each.
    const std::wstring output = RunOk(L"for /L %i in (1000,1,2400) do @echo line%i");
    ASSERT_GT(output.size(), 4095u * 3);
    std::wstring expected;
    for (int i = 1000; i <= 2400; ++i) expected += L"line" + std::to_wstring(i) + L"\r\n";
    EXPECT_EQ(expected, output);
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
