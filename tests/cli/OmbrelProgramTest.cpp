// ombrel.exe run as a deployment engine runs it: started with CREATE_NO_WINDOW, directly
// and from a batch file through cmd, its exit code read inside Wine. The test prefix maps
// A: as a floppy drive, which Wine reports as removable.

#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>

#include "cli/MachineSetup.h"
#include "log/LogSave.h"
#include "support/TestFiles.h"

using namespace cli_test;

namespace {

struct ProgramRun {
    DWORD exitCode = STILL_ACTIVE;
    std::string out, err;
    bool madeWindow = false;
    // Every word of `words` ("name=value") is a word of the output's line.
    bool Says(const std::string& words) const {
        const std::string line = " " + out.substr(0, out.find("\r\n")) + " ";
        std::istringstream list(words);
        for (std::string word; list >> word;) {
            if (line.find(" " + word + " ") == std::string::npos) return false;
        }
        return true;
    }
};

BOOL CALLBACK FindOwned(HWND hWnd, LPARAM param) {
    auto* search = reinterpret_cast<std::pair<DWORD, ProgramRun*>*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hWnd, &owner);
    if (owner == search->first) search->second->madeWindow = true;
    return TRUE;
}

std::string ReadAll(HANDLE pipe) {
    std::string text;
    char buffer[4096];
    for (DWORD got; ReadFile(pipe, buffer, sizeof(buffer), &got, nullptr) && got;) {
        text.append(buffer, got);
    }
    CloseHandle(pipe);
    return text;
}

// Runs `commandLine` without a window, looking for top-level windows of its own meanwhile.
ProgramRun Start(std::wstring commandLine) {
    ProgramRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE outRead, errRead;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    CreatePipe(&outRead, &startup.hStdOutput, &inherit, 1 << 16);
    CreatePipe(&errRead, &startup.hStdError, &inherit, 1 << 16);
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    EXPECT_TRUE(started);
    std::pair<DWORD, ProgramRun*> search(process.dwProcessId, &run);
    for (int i = 0; started && i < 3000 && WaitForSingleObject(process.hProcess, 10); ++i) {
        EnumWindows(FindOwned, reinterpret_cast<LPARAM>(&search));
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    run.out = ReadAll(outRead);
    run.err = ReadAll(errRead);
    return run;
}

std::wstring Program() { return test::ProgramDirectory() + L"\\ombrel.exe"; }
ProgramRun Ombrel(const std::wstring& arguments) {
    return Start(L"\"" + Program() + L"\" " + arguments);
}
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

Machine With(Stored start, bool uas = false, Stored denyAll = {}, Stored diskWrite = {}) {
    return {start, uas, Dword(3), denyAll, diskWrite};
}

TEST(OmbrelProgram, EachCommandOnEachStartingState) {
    struct Case {
        Machine machine;
        const wchar_t* arguments;
        DWORD exitCode;
        std::string says;
        Stored usbAfter;
        Stored uasAfter = {};  // only where the key exists
        Stored denyAllAfter = {};
    } cases[] = {
        {With(Dword(3)),
         L"status",
         0,
         "usb=on usbstor=3 uas=not-installed policy=none portable=open mounted=A: pending=none",
         Dword(3),
         {},
         {}},
        {With(kMissing), L"status", 0, "usb=unknown usbstor=missing", kMissing, {}, {}},
        {With(Dword(4), true, Dword(1)), L"status", 0,
         "usb=off uas=on uaspstor=3 policy=deny-all portable=blocked pending=replug", Dword(4),
         Dword(3), Dword(1)},
        {With(Dword(3), false, {}, Dword(1)), L"status", 0, "policy=removable-write", Dword(3)},
        {With(Dword(3)), L"disable", 0, "result=done changed=usbstor usb=off pending=replug",
         Dword(4)},
        {With(Dword(3)), L"disable --pending-exit 3010", 3010, "changed=usbstor", Dword(4)},
        {With(Dword(4)), L"disable --pending-exit 3010", 0, "changed=none", Dword(4)},
        {With(kMissing), L"disable", 0, "usbstor=4", Dword(4)},
        {With(Dword(3), true), L"disable --scope all", 0,
         "changed=usbstor,uaspstor,deny-all uas=off policy=deny-all portable=blocked", Dword(4),
         Dword(4), Dword(1)},
        {With(Dword(3), true, Dword(1)), L"disable --scope all", 0, "changed=usbstor,uaspstor",
         Dword(4), Dword(4), Dword(1)},
        {With(Dword(4)), L"enable --pending-exit 3010", 0, "changed=usbstor usb=on pending=none",
         Dword(3)},
        {With(kMissing), L"enable", 0, "usbstor=3", Dword(3)},
        // Nothing saved: an administrator's own policy and UAS value stay as they are.
        {With(Dword(2), true, Dword(1)), L"enable", 0, "usbstor=3 policy=deny-all", Dword(3),
         Dword(3), Dword(1)},
        {With(Dword(4)), L"check --expect off", 0, "result=compliant differs=none", Dword(4)},
        {With(Dword(3)), L"check --expect off", 1, "result=not-compliant differs=usb", Dword(3)},
        {With(Dword(2)), L"check --expect on", 0, "result=compliant", Dword(2)},
        {With(kMissing), L"check --expect on", 1, "differs=usb", kMissing},
        {With(Dword(4), true), L"check --expect off --scope all", 1, "differs=uas,deny-all",
         Dword(4), Dword(3)},
        {With(Dword(3), false, Dword(1)),
         L"check --expect on --scope all",
         1,
         "differs=deny-all",
         Dword(3),
         {},
         Dword(1)},
    };
    for (const Case& c : cases) {
        Arrange(c.machine);
        SCOPED_TRACE(Narrow(c.arguments) + " on " + Snapshot());
        const ProgramRun run = Ombrel(c.arguments);
        EXPECT_EQ(c.exitCode, run.exitCode);
        EXPECT_TRUE(run.Says(c.says)) << run.out;
        EXPECT_FALSE(run.madeWindow);
        EXPECT_EQ(c.usbAfter, Get(kUsbStor, L"Start"));
        EXPECT_EQ(c.machine.uas, KeyExists(kUas));  // never created
        if (c.machine.uas) {
            EXPECT_EQ(c.uasAfter, Get(kUas, L"Start"));
        }
        EXPECT_EQ(c.denyAllAfter, Get(kPolicy, L"Deny_All"));
    }
}

TEST(OmbrelProgram, WideScopeThenEnableRestoresTheStartingValuesExactly) {
    const std::wstring logFile = CLogSave::GetInstance()->LogDirectory() + L"Ombrel.txt";
    const Stored text1 = {true, REG_SZ, {'1', 0, 0, 0}};
    for (const Machine& start : {With(Dword(3), true), With(Dword(2), true, Dword(0), Dword(1)),
                                 With(Dword(1), true, text1), With(Dword(3), false, Dword(1))}) {
        Arrange(start);
        const std::string before = Snapshot();
        SCOPED_TRACE(before);
        const size_t logged = test::ReadBytes(logFile).size();
        ASSERT_EQ(0u, Ombrel(L"disable --scope all").exitCode);
        EXPECT_TRUE(KeyExists(kSaved));  // in the 64-bit view, where the system keeps it
        // A start-up script runs it at every boot: the first saved values are kept.
        ASSERT_EQ(0u, Ombrel(L"disable --scope all").exitCode);
        const ProgramRun enable = Ombrel(L"enable");
        ASSERT_EQ(0u, enable.exitCode) << enable.err;
        EXPECT_EQ(before, Snapshot());
        EXPECT_FALSE(KeyExists(kSaved));
        // An administrator's own denying policy is named.
        EXPECT_EQ(start.denyAll == Dword(1) || start.diskWrite.exists,
                  enable.err.find("still denies") != std::string::npos);
        const auto lines = test::SplitLines(test::ReadBytes(logFile).substr(logged));
        ASSERT_EQ(3u, lines.size());
        EXPECT_NE(std::string::npos, lines[0].find("disable scope=all result=0 done USBSTOR"));
        EXPECT_NE(std::string::npos, lines[2].find("enable scope=all result=0 done"));
    }
    // Values that meant "off" or were missing come back as 3: enable leaves storage on. A UAS
    // driver installed between two runs is saved by the second and restored as well.
    Arrange(With(kMissing));
    Ombrel(L"disable --scope all");
    Put(kUas, L"Start", Dword(2));
    Ombrel(L"disable --scope all");
    Ombrel(L"enable");
    EXPECT_EQ(Dword(3), Get(kUsbStor, L"Start"));
    EXPECT_EQ(Dword(2), Get(kUas, L"Start"));
}

TEST(OmbrelProgram, AKeyThatMayNotBeWrittenGivesFiveAndChangesNothing) {
    for (const wchar_t* denied : {kUsbStor, kPolicy}) {
        Arrange(With(Dword(3), true, Dword(0)));
        const std::string before = Snapshot();
        SetAccess(denied, kNoSetValue);
        const ProgramRun run = Ombrel(L"disable --scope all");
        SetAccess(denied, kFullAccess);
        EXPECT_EQ(5u, run.exitCode) << Narrow(denied);
        EXPECT_TRUE(run.Says("result=access-denied")) << run.out;
        EXPECT_NE(std::string::npos, run.err.find("administrator")) << run.err;
        EXPECT_EQ(before, Snapshot());
    }
}

TEST(OmbrelProgram, BadArgumentsGiveEightySevenWithUsageOnStandardError) {
    Arrange(With(Dword(3)));
    for (const wchar_t* arguments :
         {L"", L"bogus", L"status --verbose", L"status --json --json", L"disable --scope",
          L"disable --scope none", L"enable --scope all", L"check", L"check --expect maybe",
          L"status --pending-exit 3010", L"disable --pending-exit 1", L"--help status"}) {
        const ProgramRun run = Ombrel(arguments);
        EXPECT_EQ(87u, run.exitCode) << Narrow(arguments);
        EXPECT_EQ("", run.out) << Narrow(arguments);
        EXPECT_NE(std::string::npos, run.err.find("Usage: ombrel")) << Narrow(arguments);
    }
    for (const wchar_t* arguments : {L"/?", L"-h", L"--help"}) {
        EXPECT_NE(std::string::npos, Ombrel(arguments).out.find("3010")) << Narrow(arguments);
    }
    // From a batch file through cmd, as a start-up script runs it.
    test::TempDir folder;
    wchar_t cmd[MAX_PATH] = {};
    GetSystemDirectoryW(cmd, MAX_PATH);
    for (auto c : {std::make_pair("disable", 0u), std::make_pair("check --expect on", 1u),
                   std::make_pair("enable --bogus", 87u), std::make_pair("enable", 0u)}) {
        test::WriteBytes(folder / L"deploy.cmd", "@\"" + Narrow(Program()) + "\" " + c.first +
                                                     "\r\n@exit /b %errorlevel%\r\n");
        EXPECT_EQ(c.second, Start(std::wstring(cmd) + L"\\cmd.exe /d /c \"" +
                                  (folder / L"deploy.cmd") + L"\"")
                                .exitCode)
            << c.first;
    }
    EXPECT_EQ(Dword(3), Get(kUsbStor, L"Start"));
}

}  // namespace
