#pragma once
// A global low-level mouse hook that tells the control panel of every left-button press
// on the desktop. The hook handle and the target window are process-wide: the hook
// procedure has no other way to reach them.

#include "win/PrivateMessages.h"

class CMouseHook {
public:
    CMouseHook();
    ~CMouseHook() = default;
    CMouseHook(const CMouseHook&) = delete;
    CMouseHook& operator=(const CMouseHook&) = delete;

    // 0 for a null window (nothing stored), else 1.
    int SetTarget(HWND hWnd);
    // 1 when the hook is installed, 0 when the system refuses it.
    int Install();
    void Uninstall();

    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
};
