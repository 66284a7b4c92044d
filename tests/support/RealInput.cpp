#include "support/RealInput.h"

#include "support/Waiting.h"

namespace test {

namespace {

const DWORD kInputPauseMs = 40;  // time for one event to arrive before the next

void SendMouse(POINT screen, DWORD buttonFlags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    // Absolute positions run from 0 to 65535 across the screen; the extra unit keeps the
    // conversion back from rounding down to the pixel before.
    input.mi.dx = ::MulDiv(screen.x, 65536, ::GetSystemMetrics(SM_CXSCREEN)) + 1;
    input.mi.dy = ::MulDiv(screen.y, 65536, ::GetSystemMetrics(SM_CYSCREEN)) + 1;
    input.mi.dwFlags = buttonFlags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &input, sizeof(input));
    ::Sleep(kInputPauseMs);
}

bool CursorIsAt(POINT screen) {
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    return cursor.x == screen.x && cursor.y == screen.y;
}

}  // namespace

void MoveMouse(POINT screen) {
    // From beside the point first, so that the last move is a real one.
    SendMouse({screen.x - 1, screen.y}, 0);
    for (int attempt = 0; attempt < 10; ++attempt) {
        SendMouse(screen, 0);
        if (CursorIsAt(screen)) return;
    }
}

void MoveMouseAway() { MoveMouse({20, 20}); }

void PressMouse(POINT screen) { SendMouse(screen, MOUSEEVENTF_LEFTDOWN); }

void ReleaseMouse(POINT screen) { SendMouse(screen, MOUSEEVENTF_LEFTUP); }

void ClickAt(POINT screen) {
    MoveMouse(screen);
    PressMouse(screen);
    ReleaseMouse(screen);
}

void DragMouse(POINT from, POINT to, int steps) {
    MoveMouse(from);
    PressMouse(from);
    for (int i = 1; i <= steps; ++i) {
        SendMouse({from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps}, 0);
    }
    ReleaseMouse(to);
}

void PressKey(WORD key, WORD modifier) {
    // Down in order, up in reverse; a missing modifier is left out.
    const WORD order[4] = {modifier, key, key, modifier};
    INPUT inputs[4] = {};
    UINT count = 0;
    for (int i = 0; i < 4; ++i) {
        if (order[i] == 0) continue;
        INPUT& input = inputs[count++];
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = order[i];
        input.ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
    }
    ::SendInput(count, inputs, sizeof(INPUT));
    ::Sleep(kInputPauseMs);
}

bool PressKeyIn(HWND window, WORD key, WORD modifier) {
    ::SetForegroundWindow(window);
    if (!WaitFor([window]() { return ::GetForegroundWindow() == window; }, 3000)) return false;
    PressKey(key, modifier);
    return true;
}

}  // namespace test
