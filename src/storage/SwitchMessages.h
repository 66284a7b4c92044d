#pragma once
// Messages that a switch worker sends (synchronously) to the control panel.

#include <windows.h>

// The command has ended: close the progress dialog. Forwarded by the panel to it.
const UINT WM_CLOSE_PROGRESS = 0x5F5;
// The outcome, a SwitchResult in wParam; lParam kUsbVolumeMounted or 0.
const UINT WM_SWITCH_RESULT = 0x5F6;
// After a successful disable: a USB volume is mounted, and it keeps working until it is
// unplugged.
const LPARAM kUsbVolumeMounted = 1;

enum SwitchResult : WPARAM {
    RESULT_DISABLE_OK = 1,
    RESULT_DISABLE_FAILED = 2,
    RESULT_ENABLE_OK = 3,
    RESULT_ENABLE_FAILED = 4,
};
