#pragma once
// Messages that a switch worker sends (synchronously) to the control panel.

#include <windows.h>

// The command has ended: close the progress dialog. Forwarded by the panel to it.
const UINT WM_CLOSE_PROGRESS = 0x5F5;
// The outcome, a SwitchResult in wParam.
const UINT WM_SWITCH_RESULT = 0x5F6;

enum SwitchResult : WPARAM {
    RESULT_DISABLE_OK = 1,
    RESULT_DISABLE_FAILED = 2,
    RESULT_ENABLE_OK = 3,
    RESULT_ENABLE_FAILED = 4,
};
