#pragma once
// Start-up time seen from outside: from CreateProcess until a window of the new process is
// visible and the screen shows its background at a few points.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Figures.h"

namespace bench {

// What the first paint of a program looks like.
struct FirstPaint {
    // Whether `window`, a visible top-level window of the process, is the one to watch.
    std::function<bool(HWND window)> isWatched;
    // Client points of that window and the colours they show once it is painted.
    std::function<std::vector<std::pair<POINT, COLORREF>>(HWND window)> samples;
};

// One start: milliseconds to the first paint, or a negative value when it did not come
// within the timeout. `whilePainted` runs on the painted window before the process ends.
double TimeToFirstPaint(const std::wstring& program, const FirstPaint& paint,
                        const std::function<void(HWND)>& whilePainted = nullptr);

// A program's memory once it has painted its first window and settled for a second.
ProcessFigures FiguresAfterStart(const std::wstring& program, const FirstPaint& paint);

// The tool's control panel over its background picture.
FirstPaint ToolPanelPaint();
// The minimal dialog's one colour.
FirstPaint MinimalDialogPaint();

}  // namespace bench
