#pragma once
// Turns USB storage off or on by running the reg command on a worker thread, and
// reports the outcome to the notify window with WM_CLOSE_PROGRESS, then WM_SWITCH_RESULT.
// Each switch holds the machine's storage change lock. Disable saves the driver's value
// first and turns the UAS driver off too; Enable puts back every value a disable saved
// (the console program's included). Disable is refused where Windows itself runs from a
// USB disk.

#include <windows.h>

#include <string>

#include "storage/SwitchResult.h"
#include "system/EventLog.h"
#include "system/RegistryTransaction.h"
#include "system/VolumeProbe.h"

class CStorageSwitch {
public:
    // How a command line is run: RunCommand, or a stand-in where a test needs a fault (a
    // command that cannot be started, a short time limit).
    using CommandRunner = int (*)(std::wstring command, std::wstring& output);

    // The machine's own volumes unless `volumes` answers for them (it must outlive this).
    // The lock is waited for as long as a command may run, unless a test says otherwise.
    // Each switch's outcome goes to `report` (the Application log unless a test records it).
    explicit CStorageSwitch(CommandRunner runCommand = nullptr, VolumeProbe* volumes = nullptr,
                            DWORD lockWaitMs = kLockWaitMs, EventWriter report = &ReportToEventLog);
    static const DWORD kLockWaitMs = 60000;

    // Stores the receiver of the reports; a null handle is refused (0) and changes nothing.
    int SetNotifyWnd(HWND hWnd);

    // 1 when the worker thread runs, 0 (and one log line) when it could not be created.
    int StartDisable();
    int StartEnable();

    // 1 on Windows 7 or Windows 10, 0 on any other version.
    static int IsSupportedSystem();

    static DWORD WINAPI DisableThreadProc(LPVOID param);
    static DWORD WINAPI EnableThreadProc(LPVOID param);

    // The worker bodies: 1 after a success report, 0 after a failure report.
    int DoDisable();
    int DoEnable();

private:
    struct Operation;
    static const Operation kDisable;
    static const Operation kEnable;

    bool Start(const Operation& operation);
    bool Run(const Operation& operation);
    // False with the reason for the log line in *detail, when there is one; the values it
    // left changed in *changes.
    bool Switch(const Operation& operation, std::wstring* detail,
                std::vector<ValueChange>* changes);

    HWND m_hNotifyWnd = nullptr;
    CommandRunner m_runCommand;
    SystemVolumes m_systemVolumes;
    VolumeProbe* m_volumes;
    DWORD m_lockWaitMs;
    EventWriter m_report;
};
