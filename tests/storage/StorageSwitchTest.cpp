#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "cli/MachineSetup.h"
#include "log/LogSave.h"
#include "log/LogText.h"
#include "storage/StorageSwitch.h"
#include "storage/WideScope.h"
#include "support/ReceiverWindow.h"
#include "support/TestFiles.h"
#include "system/CommandRunner.h"

namespace {

using namespace cli_test;  // NOLINT: the registry as the tests set it up and read it back

void SetStart(DWORD value) { Put(kUsbStor, L"Start", Dword(value)); }
Stored Start() { return Get(kUsbStor, L"Start"); }

std::wstring SwitchLogPath() { return CLogSave::GetInstance()->LogDirectory() + L"Ombrel.txt"; }

std::vector<std::string> SwitchLog() { return test::SplitLines(test::ReadBytes(SwitchLogPath())); }

// Stand-ins for the command runner, for faults a real reg cannot produce here.
std::wstring g_lastCommand;
int RecordingRunner(std::wstring command, std::wstring& output) {
    g_lastCommand = command;
    return RunCommand(command, output);
}
int AccessDeniedRunner(std::wstring, std::wstring& output) {
    output += L"错误: 拒绝访问。\r\n";
    return 1;
}
int NotStartedRunner(std::wstring, std::wstring&) { return 0; }

// The real runner with a short time limit, for a command that hangs after the write (its
// success text silenced, so only the read-back can tell) or before any write.
std::wstring HangingCommand() {
    return test::ProgramDirectory() + L"\\" + L"" COMMAND_STAND_IN + L" hold 60000 nul";
}
int HangsAfterWritingRunner(std::wstring command, std::wstring& output) {
    return RunCommand(command + L" >nul & " + HangingCommand(), output, 5000);
}
int HangsWithoutWritingRunner(std::wstring, std::wstring& output) {
    return RunCommand(HangingCommand(), output, 1500);
}

// What the machine's volumes answer: the one Windows runs from and the drive letters in use.
struct Drives {
    VolumeInfo system;  // its bus unknown unless set
    std::vector<VolumeInfo> inUse;
};
struct InjectedVolumes : VolumeProbe {
    explicit InjectedVolumes(const Drives& drives) : m_drives(drives) {}
    std::vector<VolumeInfo> Volumes() override { return m_drives.inUse; }
    VolumeInfo SystemVolume() override { return m_drives.system; }
    Drives m_drives;
};
const VolumeInfo kScsiSystem{L'C', DRIVE_FIXED, true, BusTypeScsi};  // as Wine answers
const VolumeInfo kStick{L'E', DRIVE_REMOVABLE, true, BusTypeScsi};
const VolumeInfo kCardReader{L'F', DRIVE_REMOVABLE, true, BusTypeSd};  // built in, not USB
const Drives kCardReaderOnly = {kScsiSystem, {kCardReader}};
const Drives kStickPluggedIn = {kScsiSystem, {kCardReader, kStick}};
const Drives kWindowsOnUsb = {{L'C', DRIVE_FIXED, true, BusTypeUsb}, {kStick}};

// Runs one worker body on a thread of its own while this thread serves the receiver.
void RunWorker(CStorageSwitch& storageSwitch, LPTHREAD_START_ROUTINE proc) {
    HANDLE thread = CreateThread(nullptr, 0, proc, &storageSwitch, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    EXPECT_TRUE(test::PumpUntilSignalled(thread, 60000));
    DWORD exitCode = 0;
    GetExitCodeThread(thread, &exitCode);
    EXPECT_EQ(1u, exitCode);
    CloseHandle(thread);
}

void ExpectReports(const test::ReceiverWindow& receiver, WPARAM result, LPARAM detail = 0) {
    ASSERT_EQ(2u, receiver.Received().size());
    EXPECT_EQ(WM_CLOSE_PROGRESS, receiver.Received()[0].message);
    EXPECT_EQ(0u, receiver.Received()[0].wParam);
    EXPECT_EQ(0, receiver.Received()[0].lParam);
    EXPECT_EQ(WM_SWITCH_RESULT, receiver.Received()[1].message);
    EXPECT_EQ(result, receiver.Received()[1].wParam);
    EXPECT_EQ(detail, receiver.Received()[1].lParam);
}

TEST(StorageSwitch, SwitchesThroughTheRealRegCommandAndReportsSuccess) {
    struct Case {
        CStorageSwitch::CommandRunner runner;
        DWORD before;
        LPTHREAD_START_ROUTINE proc;
        DWORD after;
        WPARAM result;
        const wchar_t* command;
        Drives drives = {};
        LPARAM detail = 0;
    } cases[] = {
        {&RecordingRunner, 3, &CStorageSwitch::DisableThreadProc, 4, RESULT_DISABLE_OK,
         L"reg add \"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\USBSTOR\" /v "
         L"\"Start\" /d 4 /t REG_DWORD /f",
         kCardReaderOnly},
        {&RecordingRunner, 4, &CStorageSwitch::EnableThreadProc, 3, RESULT_ENABLE_OK,
         L"reg add \"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\USBSTOR\" /v "
         L"\"Start\" /d 3 /t REG_DWORD /f"},
        // Enabling what is already enabled succeeds again.
        {&RecordingRunner, 3, &CStorageSwitch::EnableThreadProc, 3, RESULT_ENABLE_OK, nullptr},
        // Ended at the time limit after the write: the value read back counts.
        {&HangsAfterWritingRunner, 3, &CStorageSwitch::DisableThreadProc, 4, RESULT_DISABLE_OK,
         nullptr},
        // Only turning storage off is refused for Windows on a USB disk. A USB drive plugged
        // in now keeps working after a disable, which the report tells.
        {&RecordingRunner, 4, &CStorageSwitch::EnableThreadProc, 3, RESULT_ENABLE_OK, nullptr,
         kWindowsOnUsb},
        {&RecordingRunner, 3, &CStorageSwitch::DisableThreadProc, 4, RESULT_DISABLE_OK, nullptr,
         kStickPluggedIn, kUsbVolumeMounted},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        SetStart(c.before);
        const size_t logged = SwitchLog().size();
        test::ReceiverWindow receiver(WM_CLOSE_PROGRESS, WM_SWITCH_RESULT);
        InjectedVolumes volumes(c.drives);
        CStorageSwitch storageSwitch(c.runner, &volumes);
        ASSERT_EQ(1, storageSwitch.SetNotifyWnd(receiver.Handle()));
        RunWorker(storageSwitch, c.proc);
        ExpectReports(receiver, c.result, c.detail);
        EXPECT_EQ(Dword(c.after), Start());
        if (c.command) {
            EXPECT_EQ(c.command, g_lastCommand);
        }
        EXPECT_EQ(logged, SwitchLog().size()) << "a success is not logged";
    }
}

TEST(StorageSwitch, FailureIsLoggedBeforeItsPromptAndThenReported) {
    struct Case {
        CStorageSwitch::CommandRunner runner;
        DWORD before;
        LPTHREAD_START_ROUTINE proc;
        WPARAM result;
        const wchar_t* logText;
        Drives drives = {};  // a failure tells of no mounted drive
    } cases[] = {
        {&AccessDeniedRunner, 3, &CStorageSwitch::DisableThreadProc, RESULT_DISABLE_FAILED,
         L"U盘禁用失败", kStickPluggedIn},
        {&AccessDeniedRunner, 4, &CStorageSwitch::EnableThreadProc, RESULT_ENABLE_FAILED,
         L"U盘启用失败"},
        // A command that never started is a failure even where the value already holds.
        {&NotStartedRunner, 4, &CStorageSwitch::DisableThreadProc, RESULT_DISABLE_FAILED,
         L"U盘禁用失败"},
        {&NotStartedRunner, 3, &CStorageSwitch::EnableThreadProc, RESULT_ENABLE_FAILED,
         L"U盘启用失败"},
        // Ended at the time limit before it wrote anything.
        {&HangsWithoutWritingRunner, 3, &CStorageSwitch::DisableThreadProc, RESULT_DISABLE_FAILED,
         L"U盘禁用失败"},
        // Storage off would leave Windows on a USB disk unable to start: reg never runs.
        {&RecordingRunner, 3, &CStorageSwitch::DisableThreadProc, RESULT_DISABLE_FAILED,
         L"U盘禁用失败 系统从USB磁盘启动，已拒绝禁用", kWindowsOnUsb},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        SetStart(c.before);
        const size_t logged = SwitchLog().size();
        test::ReceiverWindow receiver(WM_CLOSE_PROGRESS, WM_SWITCH_RESULT);
        size_t loggedWhenPrompted = 0;
        receiver.onMessage = [&](const test::ReceivedMessage& message) {
            if (message.message == WM_SWITCH_RESULT) loggedWhenPrompted = SwitchLog().size();
        };
        InjectedVolumes volumes(c.drives);
        CStorageSwitch storageSwitch(c.runner, &volumes);
        storageSwitch.SetNotifyWnd(receiver.Handle());
        RunWorker(storageSwitch, c.proc);

        ExpectReports(receiver, c.result);
        EXPECT_EQ(logged + 1, loggedWhenPrompted);
        const auto lines = SwitchLog();
        ASSERT_EQ(logged + 1, lines.size());
        EXPECT_EQ(ToLogText(c.logText), lines.back().substr(30));
        EXPECT_EQ(Dword(c.before), Start()) << "nothing was written";
    }
}

TEST(StorageSwitch, EnablePutsBackWhatAWideScopeDisableSavedOrFails) {
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
        test::ReceiverWindow receiver(WM_CLOSE_PROGRESS, WM_SWITCH_RESULT);
        CStorageSwitch storageSwitch;
        storageSwitch.SetNotifyWnd(receiver.Handle());
        RunWorker(storageSwitch, &CStorageSwitch::EnableThreadProc);
        SetAccess(kPolicy, kFullAccess);

        if (policyWritable) {
            ExpectReports(receiver, RESULT_ENABLE_OK);
            EXPECT_EQ(before, Snapshot());
            EXPECT_EQ(logged, SwitchLog().size());
        } else {
            ExpectReports(receiver, RESULT_ENABLE_FAILED);
            EXPECT_EQ(Dword(1), Get(kPolicy, L"Deny_All")) << "storage is still denied";
            EXPECT_TRUE(KeyExists(kSaved)) << "kept for the next try";
            ASSERT_EQ(logged + 1, SwitchLog().size());
            EXPECT_EQ(ToLogText(L"U盘启用失败"), SwitchLog().back().substr(30));
        }
    }
    Arrange(Machine());
}

TEST(StorageSwitch, NullNotifyWindowIsRefusedAndTheStoredOneKept) {
    test::ReceiverWindow receiver(WM_CLOSE_PROGRESS, WM_SWITCH_RESULT);
    CStorageSwitch storageSwitch(&AccessDeniedRunner);
    EXPECT_EQ(0, storageSwitch.SetNotifyWnd(nullptr));
    EXPECT_EQ(1, storageSwitch.SetNotifyWnd(receiver.Handle()));
    EXPECT_EQ(0, storageSwitch.SetNotifyWnd(nullptr));
    SetStart(4);
    RunWorker(storageSwitch, &CStorageSwitch::EnableThreadProc);
    ExpectReports(receiver, RESULT_ENABLE_FAILED);
}

TEST(StorageSwitch, StartRunsTheWorkerDetachedAndItsReportsArrive) {
    SetStart(3);
    test::ReceiverWindow receiver(WM_CLOSE_PROGRESS, WM_SWITCH_RESULT);
    HANDLE resultSeen = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    receiver.onMessage = [&](const test::ReceivedMessage& message) {
        if (message.message == WM_SWITCH_RESULT) SetEvent(resultSeen);
    };
    CStorageSwitch storageSwitch;
    storageSwitch.SetNotifyWnd(receiver.Handle());
    ASSERT_EQ(1, storageSwitch.StartDisable());
    EXPECT_TRUE(test::PumpUntilSignalled(resultSeen, 60000));
    CloseHandle(resultSeen);
    ExpectReports(receiver, RESULT_DISABLE_OK);
    EXPECT_EQ(Dword(4), Start());
}

}  // namespace
