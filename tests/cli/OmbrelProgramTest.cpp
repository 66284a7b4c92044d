// ombrel.exe run as a deployment engine runs it: started with CREATE_NO_WINDOW, directly
// and from a batch file through cmd, its exit code read inside Wine. The test prefix maps
// A: as a floppy drive, which Wine reports as removable.

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <map>
#include <string>

#include "cli/MachineSetup.h"
#include "log/LogSave.h"
#include "support/TestFiles.h"

using namespace cli_test;

namespace {

struct ProgramRun {
    DWORD exitCode = STILL_ACTIVE;
    std::string out, err;
    bool madeWindow = false;
    std::map<std::string, std::string> Fields() const {
        std::map<std::string, std::string> fields;
        size_t start = 0;
        const std::string line = out.substr(0, out.find("\r\n"));
        while (start < line.size()) {
            size_t end = line.find(' ', start);
            if (end == std::string::npos) end = line.size();
            const std::string word = line.substr(start, end - start);
            fields[word.substr(0, word.find('='))] = word.substr(word.find('=') + 1);
            start = end + 1;
        }
        return fields;
    }
};

BOOL CALLBACK FindOwned(HWND hWnd, LPARAM param) {
    auto* run = reinterpret_cast<std::pair<DWORD, ProgramRun*>*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hWnd, &owner);
    if (owner == run->first) run->second->madeWindow = true;
    return TRUE;
}

std::string ReadAll(HANDLE pipe) {
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        text.append(buffer, got);
    return text;
}

// Runs `commandLine` without a window, looking for top-level windows of its own meanwhile.
ProgramRun Start(std::wstring commandLine) {
    ProgramRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE outRead, outWrite, errRead, errWrite;
    CreatePipe(&outRead, &outWrite, &inherit, 1 << 16);
    CreatePipe(&errRead, &errWrite, &inherit, 1 << 16);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    EXPECT_TRUE(started) << "cannot start the program";
    if (started) {
        std::pair<DWORD, ProgramRun*> search(process.dwProcessId, &run);
        for (int i = 0; i < 3000 && WaitForSingleObject(process.hProcess, 10) == WAIT_TIMEOUT;
             ++i) {
            EnumWindows(FindOwned, reinterpret_cast<LPARAM>(&search));
        }
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        run.out = ReadAll(outRead);
        run.err = ReadAll(errRead);
    }
    CloseHandle(outRead);
    CloseHandle(errRead);
    return run;
}

std::wstring Program() { return test::ProgramDirectory() + L"\\ombrel.exe"; }

ProgramRun Ombrel(const std::wstring& arguments) {
    return Start(L"\"" + Program() + L"\" " + arguments);
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Every "name=value" word of `expected` appears in the output line.
void ExpectFields(const ProgramRun& run, const std::string& expected) {
    const auto fields = run.Fields();
    size_t start = 0;
    while (start < expected.size()) {
        size_t end = expected.find(' ', start);
        if (end == std::string::npos) end = expected.size();
        const std::string word = expected.substr(start, end - start);
        const std::string name = word.substr(0, word.find('='));
        EXPECT_EQ(word.substr(word.find('=') + 1), fields.count(name) ? fields.at(name) : "<none>")
            << name << " in: " << run.out;
        start = end + 1;
    }
}

Machine With(Stored start, bool uas = false, Stored denyAll = Missing(), Stored diskWrite = {}) {
    Machine machine;
    machine.usbStart = start;
    machine.uas = uas;
    machine.denyAll = denyAll;
    machine.diskWrite = diskWrite;
    return machine;
}

TEST(OmbrelProgram, EachCommandOnEachStartingState) {
    struct Case {
        Machine machine;
        const wchar_t* arguments;
        DWORD exitCode;
        std::string fields;
        Stored usbAfter, uasAfter, denyAllAfter;
    } cases[] = {
        {With(Dword(3)), L"status", 0,
         "usb=on usbstor=3 uas=not-installed policy=none portable=open mounted=A: pending=none",
         Dword(3), Missing(), Missing()},
        {With(Missing()), L"status", 0, "usb=unknown usbstor=missing", Missing(), {}, {}},
        {With(Dword(4), true, Dword(1)), L"status", 0,
         "usb=off uas=on uaspstor=3 policy=deny-all portable=blocked pending=replug", Dword(4),
         Dword(3), Dword(1)},
        {With(Dword(3), false, Missing(), Dword(1)),
         L"status",
         0,
         "policy=removable-write",
         Dword(3),
         {},
         {}},
        {With(Dword(3)), L"disable", 0, "result=done changed=usbstor usb=off pending=replug",
         Dword(4), Missing(), Missing()},
        {With(Dword(3)),
         L"disable --pending-exit 3010",
         3010,
         "changed=usbstor mounted=A:",
         Dword(4),
         {},
         {}},
        {With(Dword(4)),
         L"disable --pending-exit 3010",
         0,
         "changed=none pending=replug",
         Dword(4),
         {},
         {}},
        {With(Dword(2)), L"disable", 0, "usb=off", Dword(4), {}, {}},
        {With(Missing()), L"disable", 0, "usbstor=4", Dword(4), {}, {}},
        {With(Dword(3), true), L"disable --scope all", 0,
         "changed=usbstor,uaspstor,deny-all uas=off policy=deny-all portable=blocked", Dword(4),
         Dword(4), Dword(1)},
        {With(Dword(3)), L"disable --scope all", 0, "uas=not-installed", Dword(4), Missing(),
         Dword(1)},
        {With(Dword(3), true, Dword(1)), L"disable --scope all", 0, "changed=usbstor,uaspstor",
         Dword(4), Dword(4), Dword(1)},
        {With(Dword(4)), L"enable", 0, "result=done changed=usbstor usb=on pending=none", Dword(3),
         Missing(), Missing()},
        {With(Dword(4)), L"enable --pending-exit 3010", 0, "usb=on", Dword(3), {}, {}},
        {With(Missing()), L"enable", 0, "usbstor=3", Dword(3), {}, {}},
        {With(Dword(2)), L"enable", 0, "usbstor=3", Dword(3), {}, {}},
        // Without a saved set, enable leaves an administrator's own policy alone.
        {With(Dword(4), true, Dword(1)), L"enable", 0, "policy=deny-all uas=on", Dword(3), Dword(3),
         Dword(1)},
        {With(Dword(4)),
         L"check --expect off",
         0,
         "result=compliant differs=none",
         Dword(4),
         {},
         {}},
        {With(Dword(3)),
         L"check --expect off",
         1,
         "result=not-compliant differs=usb",
         Dword(3),
         {},
         {}},
        {With(Dword(2)), L"check --expect on", 0, "result=compliant", Dword(2), {}, {}},
        {With(Missing()), L"check --expect on", 1, "differs=usb", Missing(), {}, {}},
        {With(Dword(4), true), L"check --expect off --scope all", 1, "differs=uas,deny-all",
         Dword(4), Dword(3), Missing()},
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
        ExpectFields(run, c.fields);
        EXPECT_FALSE(run.madeWindow);
        EXPECT_EQ(c.usbAfter, Get(kUsbStor, L"Start"));
        if (c.machine.uas) {
            EXPECT_EQ(c.uasAfter, Get(kUas, L"Start"));
        } else {
            EXPECT_FALSE(KeyExists(kUas));  // never created
        }
        EXPECT_EQ(c.denyAllAfter, Get(kPolicy, L"Deny_All"));
    }
}

TEST(OmbrelProgram, WideScopeThenEnableRestoresTheStartingValuesExactly) {
    const Machine starts[] = {
        With(Dword(3), true, Missing()),
        With(Dword(2), true, Dword(0), Dword(1)),
        With(Dword(1), true, Text(L"1")),
        With(Dword(3), false, Dword(1)),
    };
    for (const Machine& start : starts) {
        Arrange(start);
        const std::string before = Snapshot();
        SCOPED_TRACE(before);
        const std::wstring logFile = CLogSave::GetInstance()->LogDirectory() + L"Ombrel.txt";
        const size_t logged = test::ReadBytes(logFile).size();
        ASSERT_EQ(0u, Ombrel(L"disable --scope all").exitCode);
        // A start-up script runs it at every boot: the first saved values are kept.
        ASSERT_EQ(0u, Ombrel(L"disable --scope all").exitCode);
        const ProgramRun enable = Ombrel(L"enable");
        ASSERT_EQ(0u, enable.exitCode) << enable.err;
        EXPECT_EQ(before, Snapshot());
        EXPECT_FALSE(KeyExists(kSaved));
        // An administrator's own denying policy is named.
        const bool ownDenial = start.denyAll == Dword(1) || start.diskWrite == Dword(1);
        EXPECT_EQ(ownDenial, enable.err.find("still denies") != std::string::npos);

        const auto lines = test::SplitLines(test::ReadBytes(logFile).substr(logged));
        ASSERT_EQ(3u, lines.size());
        EXPECT_NE(std::string::npos, lines[0].find("ombrel disable scope=all result=0 done"));
        EXPECT_NE(std::string::npos, lines[2].find("ombrel enable scope=all result=0 done"));
    }
    // Values that meant "off" or were missing come back as 3: enable leaves storage on.
    Arrange(With(Missing(), true, Missing()));
    Ombrel(L"disable --scope all");
    Ombrel(L"enable");
    EXPECT_EQ(Dword(3), Get(kUsbStor, L"Start"));
}

// Denies setting values on a key for everyone while alive; reading stays allowed.
class DenySetValue {
public:
    explicit DenySetValue(const wchar_t* key) {
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, READ_CONTROL | WRITE_DAC | KEY_WOW64_64KEY,
                      &m_key);
        Set(L"D:P(D;;0x2;;;WD)(A;;KA;;;WD)");
    }
    ~DenySetValue() {
        Set(L"D:P(A;;KA;;;WD)");
        RegCloseKey(m_key);
    }

private:
    void Set(const wchar_t* sddl) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                             nullptr);
        EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(m_key, DACL_SECURITY_INFORMATION, descriptor));
        LocalFree(descriptor);
    }
    HKEY m_key = nullptr;
};

TEST(OmbrelProgram, AKeyThatMayNotBeWrittenGivesFiveAndChangesNothing) {
    for (const wchar_t* denied : {kUsbStor, kPolicy}) {
        Arrange(With(Dword(3), true, Dword(0)));
        const std::string before = Snapshot();
        SCOPED_TRACE(Narrow(denied));
        DenySetValue deny(denied);
        const ProgramRun run = Ombrel(L"disable --scope all");
        EXPECT_EQ(5u, run.exitCode);
        EXPECT_EQ("access-denied", run.Fields()["result"]);
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
        const ProgramRun run = Ombrel(arguments);
        EXPECT_EQ(0u, run.exitCode);
        EXPECT_NE(std::string::npos, run.out.find("3010")) << Narrow(arguments);
    }
    EXPECT_EQ(Dword(3), Get(kUsbStor, L"Start"));
}

TEST(OmbrelProgram, ABatchFileThroughCmdSeesTheExitCodes) {
    test::TempDir folder;
    const std::wstring script = folder / L"deploy.cmd";
    struct Case {
        const char* arguments;
        DWORD exitCode;
    } cases[] = {{"disable", 0}, {"check --expect on", 1}, {"enable --bogus", 87}, {"enable", 0}};
    Arrange(With(Dword(3)));
    for (const Case& c : cases) {
        test::WriteBytes(script, "@echo off\r\n\"" + Narrow(Program()) + "\" " + c.arguments +
                                     "\r\nexit /b %errorlevel%\r\n");
        wchar_t system[MAX_PATH] = {};
        GetSystemDirectoryW(system, MAX_PATH);
        const ProgramRun run =
            Start(L"\"" + std::wstring(system) + L"\\cmd.exe\" /d /c \"" + script + L"\"");
        EXPECT_EQ(c.exitCode, run.exitCode) << c.arguments;
    }
    EXPECT_EQ(Dword(3), Get(kUsbStor, L"Start"));
}

// The program links nothing that shows windows, draws, or reaches the network.
TEST(OmbrelProgram, ImportsNoWindowDrawingOrNetworkLibrary) {
    HMODULE image = LoadLibraryExW(Program().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(nullptr, image);
    const auto* base = reinterpret_cast<const BYTE*>(image);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::string names;
    for (auto* entry =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         entry->Name != 0; ++entry) {
        names += std::string(reinterpret_cast<const char*>(base + entry->Name)) + " ";
    }
    FreeLibrary(image);
    EXPECT_NE(std::string::npos, names.find("ADVAPI32")) << names;
    for (const char* forbidden :
         {"USER32", "GDI32", "gdiplus", "COMCTL32", "WINHTTP", "WININET", "WS2_32", "Harvane"}) {
        EXPECT_EQ(std::string::npos, names.find(forbidden)) << names;
    }
}

}  // namespace
