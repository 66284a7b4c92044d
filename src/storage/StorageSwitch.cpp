#include "storage/StorageSwitch.h"

#include "log/LogSave.h"
#include "log/LogText.h"
#include "storage/StorageChange.h"
#include "storage/StorageChangeLock.h"
#include "storage/StorageCoverage.h"
#include "storage/StorageEvent.h"
#include "storage/StorageState.h"
#include "system/CommandRunner.h"
#include "system/MachineRegistry.h"
#include "system/RegReader.h"
#include "system/StepTimes.h"
#include "system/SystemVersion.h"
#include "win/UniqueHandle.h"

namespace {

const char kSwitchLog[] = "Ombrel.txt";
const wchar_t kSuccessText[] = L"操作成功完成";
const wchar_t kUsbSystemRefusal[] = L"系统从USB磁盘启动，已拒绝禁用";
const wchar_t kChangeBusy[] = L"另一项更改正在进行";

void Log(const std::wstring& text) {
    CLogSave::GetInstance()->WriteLog(ToLogText(text), kSwitchLog, true);
}

// The command that writes `start`, naming the very key and value the read-back reads.
std::wstring RegAddStartCommand(DWORD start) {
    return std::wstring(L"reg add \"HKEY_LOCAL_MACHINE\\") + kUsbStorKey + L"\" /v \"" +
           kUsbStorStartValue + L"\" /d " + std::to_wstring(start) + L" /t REG_DWORD /f";
}

}  // namespace

bool ReadUsbStorStart(DWORD* start) {
    return CRegReader().ReadDword(HKEY_LOCAL_MACHINE, kUsbStorKey, kUsbStorStartValue, start) == 1;
}

struct CStorageSwitch::Operation {
    LPTHREAD_START_ROUTINE threadProc;
    DWORD valueWritten;
    SwitchResult succeeded;
    SwitchResult failed;
    const wchar_t* failureLog;
    const wchar_t* threadFailureLog;
    bool turnsOff;  // refused where Windows runs from a USB disk; tells of mounted ones
};

const CStorageSwitch::Operation CStorageSwitch::kDisable = {
    &CStorageSwitch::DisableThreadProc,
    kStartDisabled,
    RESULT_DISABLE_OK,
    RESULT_DISABLE_FAILED,
    L"U盘禁用失败",
    L"创建U盘禁用线程失败",
    true,
};

const CStorageSwitch::Operation CStorageSwitch::kEnable = {
    &CStorageSwitch::EnableThreadProc,
    kStartEnabled,
    RESULT_ENABLE_OK,
    RESULT_ENABLE_FAILED,
    L"U盘启用失败",
    L"创建U盘启用线程失败",
    false,
};

CStorageSwitch::CStorageSwitch(CommandRunner runCommand, VolumeProbe* volumes, DWORD lockWaitMs,
                               EventWriter report)
    : m_runCommand(runCommand != nullptr ? runCommand : CommandRunner(&RunCommand)),
      m_volumes(volumes != nullptr ? volumes : &m_systemVolumes),
      m_lockWaitMs(lockWaitMs),
      m_report(std::move(report)) {}

int CStorageSwitch::SetNotifyWnd(HWND hWnd) {
    if (hWnd == nullptr) return 0;
    m_hNotifyWnd = hWnd;
    return 1;
}

int CStorageSwitch::IsSupportedSystem() { return IsSupportedVersion(ReadWindowsVersion()) ? 1 : 0; }

int CStorageSwitch::StartDisable() { return Start(kDisable) ? 1 : 0; }
int CStorageSwitch::StartEnable() { return Start(kEnable) ? 1 : 0; }

DWORD WINAPI CStorageSwitch::DisableThreadProc(LPVOID param) {
    static_cast<CStorageSwitch*>(param)->DoDisable();
    return 1;
}

DWORD WINAPI CStorageSwitch::EnableThreadProc(LPVOID param) {
    static_cast<CStorageSwitch*>(param)->DoEnable();
    return 1;
}

int CStorageSwitch::DoDisable() { return Run(kDisable) ? 1 : 0; }
int CStorageSwitch::DoEnable() { return Run(kEnable) ? 1 : 0; }

bool CStorageSwitch::Start(const Operation& operation) {
    // The worker runs detached: nothing waits for it or reads its exit code.
    win::UniqueKernelHandle thread(
        ::CreateThread(nullptr, 0, operation.threadProc, this, 0, nullptr));
    if (thread) return true;
    Log(operation.threadFailureLog);
    return false;
}

bool CStorageSwitch::Run(const Operation& operation) {
    std::wstring detail;
    std::vector<ValueChange> changes;
    bool succeeded = false;
    StorageOutcome outcome = StorageOutcome::Failed;
    // USB storage off would leave a Windows that runs from a USB disk unable to start. Where
    // the system disk's bus cannot be learned, the switch goes ahead.
    if (operation.turnsOff && SystemRunsFromUsb(*m_volumes)) {
        detail = kUsbSystemRefusal;
        outcome = StorageOutcome::WindowsOnUsb;
    } else {
        succeeded = Switch(operation, &detail, &changes);
        if (detail == kChangeBusy) outcome = StorageOutcome::Busy;
    }
    const std::wstring failureLog =
        detail.empty() ? operation.failureLog : operation.failureLog + (L" " + detail);

    // Asked here, off the panel's thread: a drive may be slow to answer.
    const LPARAM mounted = succeeded && operation.turnsOff && !MountedUsbVolumes(*m_volumes).empty()
                               ? kUsbVolumeMounted
                               : 0;
    if (succeeded) {
        outcome = mounted != 0 ? StorageOutcome::DoneReplugPending : StorageOutcome::Done;
    }
    if (m_report) {
        m_report(StorageEvent(operation.turnsOff ? StorageAction::Disable : StorageAction::Enable,
                              outcome, L"usb", ChangesText(changes)));
    }

    // Logged before the failure prompt shows: a log-off while it is open must not lose it.
    if (!succeeded) Log(failureLog);
    ::SendMessageW(m_hNotifyWnd, WM_CLOSE_PROGRESS, 0, 0);
    ::SendMessageW(m_hNotifyWnd, WM_SWITCH_RESULT,
                   succeeded ? operation.succeeded : operation.failed, mounted);
    return succeeded;
}

bool CStorageSwitch::Switch(const Operation& operation, std::wstring* detail,
                            std::vector<ValueChange>* changes) {
    const StorageChangeLock lock(m_lockWaitMs);
    if (!lock.MayChange()) {
        *detail = kChangeBusy;
        return false;
    }
    if (lock.Result() == StorageChangeLock::Outcome::Ignored) {
        Log(std::wstring(L"忽略他人创建的同名对象 ") + StorageChangeLock::kName);
    }
    MachineRegistry registry;
    ToolDisable disable(registry);
    if (operation.turnsOff && !disable.SaveBeforeCommand()) return false;
    RegistryValue before;
    registry.Read(kUsbStorKey, kUsbStorStartValue, &before);

    std::wstring output;
    TimedStep command("run-command");
    const int started = m_runCommand(RegAddStartCommand(operation.valueWritten), output);
    command.End();

    // The success text is printed only by a Chinese-language reg. When it is missing but
    // the command ran (or was ended at the runner's time limit), the value itself tells
    // whether the write took effect.
    bool succeeded = started == 1 && output.find(kSuccessText) != std::wstring::npos;
    if (started == 1 && !succeeded) {
        DWORD start = 0;
        succeeded = ReadUsbStorStart(&start) && start == operation.valueWritten;
    }
    if (!succeeded) {
        if (operation.turnsOff) disable.UndoAfterFailedCommand();
        return false;
    }
    const RegistryValue written = RegistryValue::Dword(operation.valueWritten);
    if (before != written) changes->push_back({kUsbStorKey, kUsbStorStartValue, before, written});
    std::vector<ValueChange> more;
    if (operation.turnsOff) {
        // The UAS driver follows, or the switch fails as a whole.
        succeeded = disable.FinishAfterCommand(&more);
    } else {
        // After a disable the driver alone being on may leave storage blocked by the UAS
        // driver or the policy: Enable is done only once every saved value is back.
        const StorageChangeResult restored = EnableStorage(registry);
        succeeded = restored.outcome == StorageChangeResult::Outcome::Done;
        more = restored.changes;
    }
    changes->insert(changes->end(), more.begin(), more.end());
    if (!succeeded) changes->clear();  // nothing is left changed
    return succeeded;
}
