#pragma once
// A dialog's controls seen from outside, as a user sees them, and clicked with real input;
// rectangles described for failure messages. ControlCentre and WaitUntilStill live in
// ToolRun.cpp, which the benchmark builds too.

#include <windows.h>

#include <string>

#include "support/Waiting.h"

namespace test {

RECT ControlRect(HWND dialog, int id);     // in the dialog's client coordinates
POINT ControlCentre(HWND dialog, int id);  // on the screen
std::wstring ControlText(HWND dialog, int id);
// Real input: a left click at the control's centre.
void ClickControl(HWND dialog, int id);
// Waits (up to 3 s) until the control has kept its place for a moment: a window that has
// just appeared may still be laying itself out, and a user clicks what stays put. False
// when it was still moving.
bool WaitUntilStill(HWND dialog, int id);

// One click on the control once it stays put, then waits up to 3 s for `done`. Never
// clicks again: a control that ignores its first click is a fault to see, not to hide.
// False when the control kept moving or `done` did not come.
template <typename Condition>
bool ClickUntil(HWND dialog, int id, Condition done) {
    if (!WaitUntilStill(dialog, id)) return false;
    ClickControl(dialog, id);
    return WaitFor(done, 3000);
}

// Wine without a window manager may restack a frame above its inner window once the frame
// is shown or activated; this puts the inner back on top, where Windows keeps it.
void RaiseInner(HWND inner);

// "(left, top)-(right, bottom)".
std::string Describe(const RECT& rect);

}  // namespace test
