#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cli/MachineSetup.h"
#include "storage/StorageChange.h"
#include "storage/StorageChangeLock.h"
#include "storage/StorageSwitch.h"
#include "support/ReceiverWindow.h"
#include "support/TestFiles.h"
#include "system/CommandRunner.h"

namespace {

using namespace cli_test;  // NOLINT: the registry as the tests set it up and read it back

std::vector<std::wstring> SwitchLog() { return test::LogLines(L"Ombrel.txt"); }

// Stand-ins for the command runner, for faults a real reg cannot produce here. They return
// what the real runner returns.
using Ran = decltype(RunCommand(std::wstring(), std::declval<std::wstring&>()));
Ran NotStarted(std::wstring, std::wstring&) { return Ran(0); }
std::wstring Hang() {
    return test::ProgramDirectory() + L"\\" + L"" COMMAND_STAND_IN + L" hold 60000 nul";
}
// The real runner with a short time limit: a command that hangs after its write (its
// success text silenced, so only the read-back can tell) or before any write.
Ran HangsAfterWriting(std::wstring command, std::wstring& output) {
    return RunCommand(command + L" >nul & " + Hang(), output, 5000);
}
Ran HangsBeforeWriting(std::wstring, std::wstring& output) {
    return RunCommand(Hang(), output, 1500);
}

struct InjectedVolumes : VolumeProbe {
    std::vector<VolumeInfo> Volumes() override { return {}; }
    VolumeInfo SystemVolume() override { return system; }
    VolumeInfo system;  // its bus unknown unless set
};

// Runs one worker on a thread of its own while this thread serves the receiver, and checks
// its two reports; `onResult` runs when the result arrives.
void RunWorker(
    CStorageSwitch& storageSwitch, LPTHREAD_START_ROUTINE proc, WPARAM result,
    const std::function<void()>& onResult = [] {}) {
    test::ReceiverWindow receiver(WM_CLOSE_PROGRESS, WM_SWITCH_RESULT);
    receiver.onMessage = [&](const test::ReceivedMessage& message) {
        if (message.message == WM_SWITCH_RESULT) onResult();
    };
    ASSERT_TRUE(storageSwitch.SetNotifyWnd(receiver.Handle()));
    HANDLE thread = CreateThread(nullptr, 0, proc, &storageSwitch, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    EXPECT_TRUE(test::PumpUntilSignalled(thread, 60000));
    CloseHandle(thread);
    const auto& got = receiver.Received();
    ASSERT_EQ(2u, got.size());
    EXPECT_EQ(WM_CLOSE_PROGRESS, got[0].message);
    EXPECT_EQ(WM_SWITCH_RESULT, got[1].message);
    EXPECT_EQ(result, got[1].wParam);
}

TEST(StorageSwitch, ResultComesFromRegsOutputOrTheReadBackAndAFailureIsLoggedBeforeItsPrompt) {
    const auto disable = &CStorageSwitch::DisableThreadProc;
    const auto enable = &CStorageSwitch::EnableThreadProc;
    struct Case {
        const char* what;
        CStorageSwitch::CommandRunner runner;  // null: the real one
        DWORD before;
        LPTHREAD_START_ROUTINE proc;
        DWORD after;
        WPARAM result;
        const wchar_t* logText;           // null: nothing logged
        const wchar_t* event;             // the Application log's: "ID type action values"
        const wchar_t* denied = nullptr;  // a key that refuses writes
        bool windowsOnUsb = false;
        Stored uasBefore = kMissing;  // missing: the UAS driver is not installed
        Stored uasAfter = kMissing;
        bool lockHeld = false;  // another change holds the machine's lock
    } cases[] = {
        {"disable", nullptr, 3, disable, 4, RESULT_DISABLE_OK, nullptr,
         L"1000 information disable USBSTOR\\Start=3->4"},
        {"enable", nullptr, 4, enable, 3, RESULT_ENABLE_OK, nullptr,
         L"1001 information enable USBSTOR\\Start=4->3"},
        {"enable again", nullptr, 3, enable, 3, RESULT_ENABLE_OK, nullptr,
         L"1001 information enable none"},
        {"disable refused by the registry", nullptr, 3, disable, 3, RESULT_DISABLE_FAILED,
         L"U盘禁用失败", L"2002 error disable none", kUsbStor},
        {"enable refused by the registry", nullptr, 4, enable, 4, RESULT_ENABLE_FAILED,
         L"U盘启用失败", L"2002 error enable none", kUsbStor},
        // The UAS driver of fast USB 3 drives follows, or the switch fails as a whole.
        {"disable with the UAS driver", nullptr, 3, disable, 4, RESULT_DISABLE_OK, nullptr,
         L"1000 information disable USBSTOR\\Start=3->4 UASPStor\\Start=3->4", nullptr, false,
         Dword(3), Dword(4)},
        {"enable with the UAS driver", nullptr, 4, enable, 3, RESULT_ENABLE_OK, nullptr,
         L"1001 information enable USBSTOR\\Start=4->3 UASPStor\\Start=4->3", nullptr, false,
         Dword(4), Dword(3)},
        {"the UAS driver refused by the registry", nullptr, 3, disable, 3, RESULT_DISABLE_FAILED,
         L"U盘禁用失败", L"2002 error disable none", kUas, false, Dword(3), Dword(3)},
        {"another change in progress", nullptr, 3, disable, 3, RESULT_DISABLE_FAILED,
         L"U盘禁用失败 另一项更改正在进行", L"2004 warning disable none", nullptr, false, kMissing,
         kMissing, true},
        // A command that never started fails even where the value already holds.
        {"not started", &NotStarted, 4, disable, 4, RESULT_DISABLE_FAILED, L"U盘禁用失败",
         L"2002 error disable none"},
        {"ended at the time limit after the write", &HangsAfterWriting, 3, disable, 4,
         RESULT_DISABLE_OK, nullptr, L"1000 information disable USBSTOR\\Start=3->4"},
        {"ended at the time limit before a write", &HangsBeforeWriting, 3, disable, 3,
         RESULT_DISABLE_FAILED, L"U盘禁用失败", L"2002 error disable none"},
        // Storage off would leave Windows on a USB disk unable to start: reg never runs.
        {"Windows on a USB disk", nullptr, 3, disable, 3, RESULT_DISABLE_FAILED,
         L"U盘禁用失败 系统从USB磁盘启动，已拒绝禁用", L"2001 error disable none", nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Machine machine;
        machine.usbStart = Dword(c.before);
        machine.uas = c.uasBefore.exists;
        machine.uasStart = c.uasBefore;
        Arrange(machine);
        if (c.denied) SetAccess(c.denied, kNoSetValue);
        const std::unique_ptr<StorageChangeLock> held(c.lockHeld ? new StorageChangeLock(0)
                                                                 : nullptr);
        const size_t logged = SwitchLog().size();
        size_t loggedWhenPrompted = 0;
        InjectedVolumes volumes;
        if (c.windowsOnUsb) volumes.system = {L'C', DRIVE_FIXED, true, BusTypeUsb};
        std::vector<LogEvent> events;
        CStorageSwitch storageSwitch(c.runner, &volumes, 300,
                                     [&](const LogEvent& event) { events.push_back(event); });
        RunWorker(storageSwitch, c.proc, c.result,
                  [&] { loggedWhenPrompted = SwitchLog().size(); });
        if (c.denied) SetAccess(c.denied, kFullAccess);

        EXPECT_EQ(Dword(c.after), Get(kUsbStor, L"Start"));
        EXPECT_EQ(c.uasAfter, Get(kUas, L"Start"));
        // A failed switch leaves nothing saved; a disable keeps what it changed saved.
        EXPECT_EQ(c.result == RESULT_DISABLE_OK && c.before != 4, KeyExists(kSaved));
        const auto lines = SwitchLog();
        ASSERT_EQ(logged + (c.logText ? 1 : 0), lines.size());
        EXPECT_EQ(lines.size(), loggedWhenPrompted) << "logged after the prompt";
        if (c.logText) {
            EXPECT_EQ(c.logText, lines.back());
        }
        ASSERT_EQ(1u, events.size());
        EXPECT_EQ(c.event, EventText(events[0]));
        EXPECT_EQ(L"storage_tests.exe", events[0].strings[0]);
        EXPECT_EQ(L"usb", events[0].strings[2]);
    }
    Arrange(Machine());
}

TEST(StorageSwitch, EnablePutsBackWhatADisableSavedOrFails) {
    // An administrator's own removable-disk policy, which no switch touches.
    const Machine machine = {Dword(2), true, Dword(2), kMissing, Dword(1)};
    for (bool policyWritable : {true, false}) {
        SCOPED_TRACE(policyWritable);
        Arrange(machine);
        const std::string before = Snapshot();
        MachineRegistry registry;
        ASSERT_EQ(StorageChangeResult::Outcome::Done,
                  DisableStorage(registry, StorageScope::All).outcome);
        if (!policyWritable) SetAccess(kPolicy, kNoSetValue);
        const size_t logged = SwitchLog().size();
        CStorageSwitch storageSwitch;
        RunWorker(storageSwitch, &CStorageSwitch::EnableThreadProc,
                  policyWritable ? RESULT_ENABLE_OK : RESULT_ENABLE_FAILED);
        SetAccess(kPolicy, kFullAccess);
        if (policyWritable) {
            EXPECT_EQ(before, Snapshot());
            EXPECT_EQ(logged, SwitchLog().size());
        } else {
            EXPECT_EQ(Dword(1), Get(kPolicy, L"Deny_All")) << "storage is still denied";
            EXPECT_TRUE(KeyExists(kSaved)) << "kept for the next try";
            ASSERT_EQ(logged + 1, SwitchLog().size());
            EXPECT_EQ(L"U盘启用失败", SwitchLog().back());
        }
    }
    Arrange(Machine());
}

}  // namespace
