#include "app/MouseHook.h"

namespace {
HHOOK g_hook = nullptr;
HWND g_target = nullptr;
}  // namespace

CMouseHook::CMouseHook() {
    g_hook = nullptr;
    g_target = nullptr;
}

int CMouseHook::SetTarget(HWND hWnd) {
    if (hWnd == nullptr) return 0;
    g_target = hWnd;
    return 1;
}

int CMouseHook::Install() {
    g_hook = ::SetWindowsHookExW(WH_MOUSE_LL, &CMouseHook::HookProc, nullptr, 0);
    return g_hook != nullptr ? 1 : 0;
}

void CMouseHook::Uninstall() {
    if (g_hook == nullptr) return;
    ::UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
}

LRESULT CALLBACK CMouseHook::HookProc(int code, WPARAM wParam, LPARAM lParam) {
    // Every mouse event on the desktop waits for this: post and pass it on, nothing more.
    if (wParam == WM_LBUTTONDOWN) ::PostMessageW(g_target, WM_HOOK_LBUTTONDOWN, wParam, lParam);
    return ::CallNextHookEx(g_hook, code, wParam, lParam);
}
