#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "log/LogSave.h"
#include "support/TestFiles.h"

namespace {

TEST(LogSave, PrintSwitchIsOnExactlyWhenTheValueReadsAsTheInteger1) {
    struct Case {
        const char* ini;  // the configuration file's content; nullptr: no file
        bool printing;
    } cases[] = {
        {"[Log]\r\nprint=1\r\n", true},
        {"[Log]\r\nprint=01\r\n", true},
        {"[Log]\r\nprint=+1\r\n", true},
        {"[Log]\r\nprint=1abc\r\n", true},
        {"[Log]\r\nprint= 1 \r\n", true},
        {"[Log]\r\nprint=0\r\n", false},
        {"[Log]\r\nprint=2\r\n", false},
        {"[Log]\r\nprint=-1\r\n", false},
        {"[Log]\r\nprint=yes\r\n", false},
        {"[Log]\r\nprint=\r\n", false},
        {"[Log]\r\nother=1\r\n", false},
        {"[Other]\r\nprint=1\r\n", false},
        {nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini ? c.ini : "no configuration file");
        test::TempDir base;
        if (c.ini) test::WriteBytes(base / L"logCfg.ini", c.ini);
        CLogSave log(base.Path() + L"\\");
        log.WriteLog("optional", "a.txt", false);
        log.WriteLog("always", "a.txt", true);
        const auto lines = test::SplitLines(test::ReadBytes(base / L"ToolLog\\a.txt"));
        ASSERT_EQ(c.printing ? 2u : 1u, lines.size());
        EXPECT_NE(std::string::npos, lines.back().find("always"));
    }
}

TEST(LogSave, ConfigurationInsideTheLogFolderIsNotRead) {
    test::TempDir base;
    CreateDirectoryW((base / L"ToolLog").c_str(), nullptr);
    test::WriteBytes(base / L"ToolLog\\logCfg.ini", "[Log]\r\nprint=1\r\n");
    CLogSave log(base.Path() + L"\\");
    log.WriteLog("optional", "a.txt", false);
    EXPECT_FALSE(test::Exists(base / L"ToolLog\\a.txt"));
}

TEST(LogSave, CreatesTheLogFolderAndLeavesAnExistingOneAsItIs) {
    test::TempDir fresh;
    CLogSave created(fresh.Path() + L"\\");
    EXPECT_TRUE(test::Exists(fresh / L"ToolLog"));
    EXPECT_EQ(fresh.Path() + L"\\ToolLog\\", created.LogDirectory());

    // In an existing folder: its files stay, one name appends in call order, two names
    // give two files side by side.
    test::TempDir existing;
    CreateDirectoryW((existing / L"ToolLog").c_str(), nullptr);
    test::WriteBytes(existing / L"ToolLog\\old.txt", "old");
    CLogSave log(existing.Path() + L"\\");
    log.WriteLog("one", "Ombrel.txt", true);
    log.WriteLog("two", "Kestrum.txt", true);
    log.WriteLog("three", "Ombrel.txt", true);
    EXPECT_EQ("old", test::ReadBytes(existing / L"ToolLog\\old.txt"));
    const auto ombrel = test::SplitLines(test::ReadBytes(existing / L"ToolLog\\Ombrel.txt"));
    const auto kestrum = test::SplitLines(test::ReadBytes(existing / L"ToolLog\\Kestrum.txt"));
    ASSERT_EQ(2u, ombrel.size());
    EXPECT_EQ("one", ombrel[0].substr(30));
    EXPECT_EQ("three", ombrel[1].substr(30));
    ASSERT_EQ(1u, kestrum.size());
    EXPECT_EQ("two", kestrum[0].substr(30));
}

struct InstanceProbe {
    CLogSave* seen = nullptr;
    static DWORD WINAPI Run(LPVOID param) {
        static_cast<InstanceProbe*>(param)->seen = CLogSave::GetInstance();
        return 0;
    }
};

TEST(LogSave, OneInstanceLivesInTheMachineWideApplicationDataFolder) {
    InstanceProbe probes[8];
    HANDLE threads[8];
    for (int i = 0; i < 8; ++i) {
        threads[i] = CreateThread(nullptr, 0, &InstanceProbe::Run, &probes[i], 0, nullptr);
    }
    WaitForMultipleObjects(8, threads, TRUE, INFINITE);
    for (HANDLE thread : threads) CloseHandle(thread);

    CLogSave* instance = CLogSave::GetInstance();
    ASSERT_NE(nullptr, instance);
    for (const InstanceProbe& probe : probes) EXPECT_EQ(instance, probe.seen);

    wchar_t programData[MAX_PATH] = {};
    ASSERT_NE(0u, GetEnvironmentVariableW(L"ProgramData", programData, MAX_PATH));
    EXPECT_EQ(std::wstring(programData) + L"\\ToolLog\\", instance->LogDirectory());
}

}  // namespace
