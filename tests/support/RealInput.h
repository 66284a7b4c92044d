#pragma once
// Real mouse and keyboard input through the system's input queue, as a user gives it.
// Every mouse event carries its own screen position. Under Wine the display's pointer
// moves the cursor when a window appears beneath it; an event without a position would
// then act where that pointer rests instead of where the test meant.

#include <windows.h>

namespace test {

// Moves the cursor there (the window beneath sees WM_MOUSEMOVE, even when the cursor was
// there already), and waits until the system has it there.
void MoveMouse(POINT screen);
void MoveMouseAway();             // to a corner that no test window covers
void PressMouse(POINT screen);    // left button down
void ReleaseMouse(POINT screen);  // left button up
void ClickAt(POINT screen);       // move, press and release
// A left-button drag in `steps` moves.
void DragMouse(POINT from, POINT to, int steps);
// Down and up, held with `modifier` (VK_MENU for Alt+F4) when one is given.
void PressKey(WORD key, WORD modifier = 0);
// Brings `window` to the front, then presses the key there; false, with no key pressed,
// when the window did not come to the front.
bool PressKeyIn(HWND window, WORD key, WORD modifier = 0);

}  // namespace test
