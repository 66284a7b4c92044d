#pragma once
// Helpers for the drawn controls' tests: a real dialog with controls bound to it, and the
// pixels a window shows compared with the pictures it should show.

#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

#include "support/RealInput.h"
#include "win/Dialog.h"
#include "win/Gdiplus.h"

namespace test {

// A modeless dialog from `templateId`, shown on top of everything, whose controls are
// bound to the objects given (the others are hidden); it records the commands it receives.
class SkinTestDialog : public CDialog {
public:
    SkinTestDialog(UINT templateId, std::vector<std::pair<int, CSubclassWnd*>> controls);
    ~SkinTestDialog() override { DestroyWindow(); }
    bool Open();
    std::vector<UINT> commands;

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    UINT m_templateId;
    std::vector<std::pair<int, CSubclassWnd*>> m_controls;
};

// Pixels as 0x00BBGGRR, row by row.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> colours;
    COLORREF At(int x, int y) const { return colours[y * width + x]; }
    Pixels Crop(const RECT& area) const;
};

// What the window's client area shows now.
Pixels CaptureClient(HWND hWnd);
// `image` (or its `source` rectangle) stretched over `width` x `height` on `ground`.
Pixels RenderOn(Gdiplus::Image* image, int width, int height, const RECT* source = nullptr,
                COLORREF ground = RGB(255, 255, 255));
// The index of the reference that `shown` is closest to, or -1 when none is close.
int ClosestPicture(const Pixels& shown, const std::vector<Pixels>& references);
// The smallest rectangle holding every clearly dark pixel (text on white) in `area`;
// empty when there is none.
RECT InkBounds(const Pixels& pixels, const RECT& area);

win::ImagePtr LoadPicture(WORD id);
POINT ScreenPoint(HWND hWnd, int clientX, int clientY);

// Dispatches this thread's messages until `done` holds, asking after each one; false
// after `timeoutMs`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000);

}  // namespace test
