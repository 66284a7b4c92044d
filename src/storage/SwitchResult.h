#pragma once
// What a switch worker reports with WM_SWITCH_RESULT.

#include "win/PrivateMessages.h"

// After a successful disable: a USB volume is mounted, and it keeps working until it is
// unplugged.
const LPARAM kUsbVolumeMounted = 1;

enum SwitchResult : WPARAM {
    RESULT_DISABLE_OK = 1,
    RESULT_DISABLE_FAILED = 2,
    RESULT_ENABLE_OK = 3,
    RESULT_ENABLE_FAILED = 4,
};
