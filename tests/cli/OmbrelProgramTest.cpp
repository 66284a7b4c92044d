// ombrel.exe run as a deployment engine runs it: started with CREATE_NO_WINDOW, directly
// and from a batch file through cmd, its exit code read inside Wine. The test prefix maps
// A: as a floppy drive, which Wine reports as removable.

#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>

#include "cli/MachineSetup.h"
#include "support/TestFiles.h"
#include "win/UniqueHandle.h"

using namespace cli_test;

namespace {

struct ProgramRun {
    DWORD exitCode = STILL_ACTIVE;
    std::string out, err;
    bool madeWindow = false;
    // Every word of `words` is a word of the output, or of standard error where it is empty.
    bool Says(const std::string& words) const {
        std::string text = " " + (out.empty() ? err : out) + " ";
        for (char& c : text) c = c == '\r' || c == '\n' ? ' ' : c;
        std::istringstream list(words);
        for (std::string word; list >> word;) {
            if (text.find(" " + word + " ") == std::string::npos) return false;
        }
        return true;
    }
};

// Runs `commandLine` without a window, its output into files, looking for top-level windows
// of its own meanwhile.
ProgramRun Start(std::wstring commandLine) {
    test::TempDir dir;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    auto create = [&](const wchar_t* name) {
        return win::UniqueKernelHandle(CreateFileW((dir / name).c_str(), GENERIC_WRITE,
                                                   FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0,
                                                   nullptr));
    };
    const win::UniqueKernelHandle out = create(L"out"), err = create(L"err");
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.Get();
    startup.hStdError = err.Get();
    PROCESS_INFORMATION process = {};
    EXPECT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                               nullptr, nullptr, &startup, &process));
    const win::UniqueKernelHandle owned(process.hProcess), thread(process.hThread);
    ProgramRun run;
    for (int i = 0; i < 3000 && WaitForSingleObject(process.hProcess, 10); ++i) {
        for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            run.madeWindow |= owner == process.dwProcessId;
        }
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    run.out = test::ReadBytes(dir / L"out");
    run.err = test::ReadBytes(dir / L"err");
    return run;
}

std::wstring Program() { return test::ProgramDirectory() + L"\\ombrel.exe"; }
ProgramRun Ombrel(const std::wstring& arguments) {
    return Start(L"\"" + Program() + L"\" " + arguments);
}
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

Machine With(Stored start, bool uas = false, Stored denyAll = {}, Stored diskWrite = {},
             Stored uasStart = Dword(3), Stored diskRead = {}) {
    return {start, uas, uasStart, denyAll, diskWrite, diskRead};
}

// USBSTOR's and UASPStor's Start and Deny_All as "3 - 1": "-" where missing.
std::string Values() {
    std::string text;
    for (const Stored& v :
         {Get(kUsbStor, L"Start"), Get(kUas, L"Start"), Get(kPolicy, L"Deny_All")}) {
        const DWORD number = v.data.size() == 4 ? *reinterpret_cast<const DWORD*>(&v.data[0]) : 0;
        text += (text.empty() ? "" : " ") + (v.exists ? std::to_string(number) : "-");
    }
    return text;
}

TEST(OmbrelProgram, EachCommandOnEachStartingState) {
    struct Case {
        Machine machine;
        const wchar_t* arguments;
        DWORD exitCode;
        std::string says;
        std::string after;                // Values() afterwards
        const wchar_t* denied = nullptr;  // a key that refuses writes
    } cases[] = {
        {With(Dword(3)), L"status", 0,
         "usb=on usbstor=3 uas=not-installed policy=none portable=open mounted=A: pending=none",
         "3 - -"},
        {With(kMissing), L"status", 0, "usb=unknown usbstor=missing", "- - -"},
        {With(Dword(4), true, Dword(1)), L"status", 0,
         "usb=off uas=on uaspstor=3 policy=deny-all portable=blocked pending=replug", "4 3 1"},
        {With(Dword(3)), L"disable", 0, "result=done changed=usbstor usb=off pending=replug",
         "4 - -"},
        // The default scope reaches the UAS driver of fast USB 3 drives too, and so does the
        // check: a machine whose UAS driver is on is not compliant.
        {With(Dword(3), true), L"disable", 0, "changed=usbstor,uaspstor uas=off policy=none",
         "4 4 -"},
        {With(Dword(4), true), L"check --expect off", 1, "result=not-compliant differs=uas",
         "4 3 -"},
        {With(Dword(3)), L"disable --pending-exit 3010", 3010, "changed=usbstor", "4 - -"},
        {With(Dword(4)), L"disable --pending-exit 3010", 0, "changed=none", "4 - -"},
        {With(kMissing), L"disable", 0, "usbstor=4", "4 - -"},
        {With(Dword(3), true), L"disable --scope all", 0,
         "changed=usbstor,uaspstor,deny-all uas=off policy=deny-all portable=blocked", "4 4 1"},
        {With(Dword(3), true, Dword(0)), L"disable --scope all", 5, "result=access-denied", "3 3 0",
         kUsbStor},
        {With(Dword(3), true, Dword(0)), L"disable --scope all", 5, "result=access-denied", "3 3 0",
         kPolicy},
        // A standard user is refused even where nothing would change.
        {With(Dword(4)), L"disable", 5, "result=access-denied", "4 - -", kUsbStor},
        {With(Dword(3)), L"enable", 5, "result=access-denied", "3 - -", kUsbStor},
        // Accepted, never 3010: turning storage on waits for no re-plug.
        {With(Dword(4)), L"enable --pending-exit 3010", 0, "changed=usbstor usb=on pending=none",
         "3 - -"},
        // Nothing saved: an administrator's own policy and UAS value stay as they are.
        {With(Dword(2), true, Dword(1)), L"enable", 0, "usbstor=3 policy=deny-all", "3 3 1"},
        {With(Dword(4)), L"check --expect off", 0, "result=compliant differs=none", "4 - -"},
        // Read-only: readable, not writable; refused where the administrator's own policy
        // denies reading.
        {With(Dword(4), true, {}, {}, Dword(4)), L"read-only", 0,
         "changed=usbstor,uaspstor,removable-write,portable-write usb=read-only uas=on "
         "policy=removable-write,portable-write",
         "3 3 -"},
        {With(Dword(3), true, Dword(1)), L"read-only", 1603, "result=refused", "3 3 1"},
        {With(Dword(3), false, {}, {}, Dword(3), Dword(1)), L"read-only", 1603, "result=refused",
         "3 - -"},
        {With(Dword(3), false, {}, Dword(1)), L"check --expect read-only", 0,
         "result=compliant usb=read-only", "3 - -"},
        {With(Dword(3)), L"check --expect read-only", 1, "differs=removable-write", "3 - -"},
        // An administrator's own denying policy is theirs: "on" asks only that none of ours is.
        {With(Dword(3), true, Dword(1)), L"check --expect on", 0, "result=compliant", "3 3 1"},
        {With(Dword(3)), L"check --expect off", 1, "result=not-compliant differs=usb", "3 - -"},
        {With(Dword(2)), L"check --expect on", 0, "result=compliant", "2 - -"},
        {With(Dword(4), true), L"check --expect off --scope all", 1, "differs=uas,deny-all",
         "4 3 -"},
        {With(Dword(3)), L"bogus", 87, "Usage: ombrel", "3 - -"},
        {With(Dword(3)), L"enable --scope all", 87, "Usage: ombrel", "3 - -"},
        {With(Dword(3)), L"disable --pending-exit 1", 87, "Usage: ombrel", "3 - -"},
    };
    for (const Case& c : cases) {
        Arrange(c.machine);
        SCOPED_TRACE(Narrow(c.arguments) + " on " + Snapshot());
        if (c.denied) SetAccess(c.denied, kNoSetValue);
        const ProgramRun run = Ombrel(c.arguments);
        if (c.denied) SetAccess(c.denied, kFullAccess);
        EXPECT_EQ(c.exitCode, run.exitCode);
        EXPECT_TRUE(run.Says(c.says)) << run.out << run.err;
        EXPECT_FALSE(run.madeWindow);
        EXPECT_EQ(c.after, Values());
        EXPECT_EQ(c.machine.uas, KeyExists(kUas));  // never created
    }
    EXPECT_NE(std::string::npos, Ombrel(L"/?").out.find("3010"));
}

// The deployment scripts as the engines run them: through the system's cmd, without a
// window, from a folder with or without ombrel.exe beside them (Group Policy's folder, a
// package), the 64-bit Program Files holding a copy or not.
TEST(OmbrelProgram, DeploymentScriptsFindOmbrelAndPassItsExitCodeOn) {
    wchar_t programFiles[MAX_PATH] = {}, system[MAX_PATH] = {};
    GetEnvironmentVariableW(L"ProgramW6432", programFiles, MAX_PATH);
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring installed = std::wstring(programFiles) + L"\\Ombrel\\ombrel.exe";
    struct Case {
        const wchar_t* script;
        bool besideIt;  // ombrel.exe in the script's folder
        DWORD exitCode;
        Stored start;  // USBSTOR's Start afterwards
        bool installedAfter;
    } cases[] = {
        {L"usb-off-startup.cmd", false, 2, Dword(3), false},  // nowhere to be found
        {L"uninstall.cmd", false, 1603, Dword(3), false},
        {L"install.cmd", false, 1603, Dword(3), false},
        {L"usb-off-startup.cmd", true, 0, Dword(4), false},
        {L"uninstall.cmd", true, 0, Dword(3), false},
        {L"install.cmd", true, 3010, Dword(4), true},  // A: is mounted
        // From now on only the installed copy: found there, then removed.
        {L"usb-off-startup.cmd", false, 0, Dword(4), true},
        {L"uninstall.cmd", false, 0, Dword(3), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << Narrow(c.script) << (c.besideIt ? " beside" : ""));
        Arrange(With(Dword(3)));
        test::TempDir folder;
        ASSERT_TRUE(CopyFileW((test::ProgramDirectory() + L"\\deploy\\" + c.script).c_str(),
                              (folder / c.script).c_str(), FALSE));
        if (c.besideIt) CopyFileW(Program().c_str(), (folder / L"ombrel.exe").c_str(), FALSE);
        const ProgramRun run =
            Start(std::wstring(system) + L"\\cmd.exe /d /c \"" + (folder / c.script) + L"\"");
        EXPECT_EQ(c.exitCode, run.exitCode) << run.out << run.err;
        EXPECT_EQ(c.start, Get(kUsbStor, L"Start"));
        EXPECT_EQ(c.installedAfter, test::Exists(installed));
    }
}

TEST(OmbrelProgram, AnyChangesThenEnableRestoreTheStartingValuesExactly) {
    const Stored text1 = {true, REG_SZ, {'1', 0, 0, 0}};
    for (const Machine& start : {With(Dword(3), true), With(Dword(2), true, Dword(0), Dword(1)),
                                 With(Dword(1), true, text1), With(Dword(3), false, Dword(1))}) {
        Arrange(start);
        const std::string before = Snapshot();
        SCOPED_TRACE(before);
        const size_t logged = test::LogLines(L"Ombrel.txt").size();
        ASSERT_EQ(0u, Ombrel(L"disable --scope all").exitCode);
        EXPECT_TRUE(KeyExists(kSaved));  // in the 64-bit view, where the system keeps it
        // A start-up script runs it at every boot: the first saved values are kept.
        ASSERT_EQ(0u, Ombrel(L"disable --scope all").exitCode);
        const ProgramRun readOnly = Ombrel(L"read-only");
        EXPECT_EQ(start.denyAll == Dword(1) ? 1603u : 0u, readOnly.exitCode) << readOnly.out;
        const ProgramRun enable = Ombrel(L"enable");
        ASSERT_EQ(0u, enable.exitCode) << enable.err;
        EXPECT_EQ(before, Snapshot());
        EXPECT_FALSE(KeyExists(kSaved));
        // An administrator's own denying policy is named.
        EXPECT_EQ(start.denyAll == Dword(1) || start.diskWrite.exists,
                  enable.err.find("still denies") != std::string::npos);
        const auto lines = test::LogLines(L"Ombrel.txt");
        ASSERT_EQ(logged + 4, lines.size());
        EXPECT_EQ(0u, lines[logged].find(L"ombrel disable scope=all result=0 done USBSTOR"));
        EXPECT_EQ(0u, lines[logged + 3].find(L"ombrel enable scope=usb result=0 done"));
    }
    // Values that meant "off" or were missing come back as 3: enable leaves storage on. A UAS
    // driver installed between two runs is saved by the second and restored as well.
    Arrange(With(kMissing));
    Ombrel(L"disable --scope all");
    Put(kUas, L"Start", Dword(2));
    Ombrel(L"disable --scope all");
    Ombrel(L"enable");
    EXPECT_EQ("3 2 -", Values());
}

// Every event id formats to its own English text from the message table of the program that
// reports it, with the insertion strings in place: Event Viewer shows them so wherever the
// source names either program as its message file.
TEST(OmbrelProgram, EveryEventFormatsToItsTextInBothPrograms) {
    const struct {
        DWORD id;
        const wchar_t* says;
        bool withValues;  // %4 is part of the text
    } events[] = {
        {1000, L"USB storage was turned off by P.exe", true},
        {1001, L"USB storage was turned on again by P.exe", true},
        {1002, L"USB storage was made read-only by P.exe", true},
        {1003, L"a USB drive is plugged in now", true},
        {2000, L"was refused the right to change USB storage", true},
        {2001, L"Windows itself runs from a USB disk", false},
        {2002, L"could not change USB storage", true},
        {2003, L"some values could not be put back", true},
        {2004, L"another change of USB storage was in progress", false},
    };
    const wchar_t* strings[] = {L"P.exe", L"an-action", L"a-scope", L"USBSTOR\\Start=3->4"};
    DWORD_PTR arguments[4];
    for (int i = 0; i < 4; ++i) arguments[i] = reinterpret_cast<DWORD_PTR>(strings[i]);
    for (const wchar_t* program : {L"ombrel.exe", L"TovricOmbrel.exe"}) {
        const std::wstring path = test::ProgramDirectory() + L"\\" + program;
        const HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, module) << Narrow(program);
        for (const auto& event : events) {
            SCOPED_TRACE(testing::Message() << Narrow(program) << " event " << event.id);
            wchar_t text[1024] = {};
            ASSERT_NE(0u,
                      FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                                     module, event.id, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                     text, 1024, reinterpret_cast<va_list*>(arguments)));
            const std::wstring message = text;
            EXPECT_NE(std::wstring::npos, message.find(event.says)) << Narrow(message);
            for (int i = 1; i < (event.withValues ? 4 : 3); ++i) {
                EXPECT_NE(std::wstring::npos, message.find(strings[i])) << Narrow(message);
            }
            EXPECT_EQ(std::wstring::npos, message.find(L'%')) << "a string not put in";
        }
        FreeLibrary(module);
    }
}

}  // namespace
