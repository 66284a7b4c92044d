#pragma once
// Turns USB storage off or on by running the reg command on a worker thread, and
// reports the outcome to the notify window with WM_CLOSE_PROGRESS, then WM_SWITCH_RESULT.
// Enable also puts back the values a wide-scope disable of the console program saved;
// Disable is refused where Windows itself runs from a USB disk.

#include <windows.h>

#include <string>

#include "storage/SwitchResult.h"
#include "system/VolumeProbe.h"

class CStorageSwitch {
public:
    // How a command line is run: RunCommand, or a stand-in where a test needs a fault (a
    // command that cannot be started, a short time limit).
    using CommandRunner = int (*)(std::wstring command, std::wstring& output);

    // The machine's own volumes unless `volumes` answers for them (it must outlive this).
    explicit CStorageSwitch(CommandRunner runCommand = nullptr, VolumeProbe* volumes = nullptr);

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
    bool Switch(const Operation& operation);

    HWND m_hNotifyWnd = nullptr;
    CommandRunner m_runCommand;
    SystemVolumes m_systemVolumes;
    VolumeProbe* m_volumes;
};
