#pragma once
// Helpers for the drawn controls' tests: a real dialog from a template with controls
// bound to it, real mouse and keyboard input, and the pixels a window shows.

#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

#include "support/RealInput.h"
#include "win/Dialog.h"
#include "win/Gdiplus.h"

namespace test {

// A modeless dialog from `templateId`, placed at a fixed spot on top of everything, whose
// controls are bound to the objects given (the others are hidden); it records the
// commands it receives.
class SkinTestDialog : public CDialog {
public:
    SkinTestDialog(UINT templateId, std::vector<std::pair<int, CSubclassWnd*>> controls);
    ~SkinTestDialog() override;

    // Creates and shows it; `setUp` runs during initialisation, after the binding.
    bool Open(std::function<void(SkinTestDialog&)> setUp = nullptr);
    void Place(CWnd& control, int x, int y, int width, int height);
    std::vector<UINT> commands;
    std::function<void()> onDestroy;

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnDestroy() override;

private:
    UINT m_templateId;
    std::vector<std::pair<int, CSubclassWnd*>> m_controls;
    std::function<void(SkinTestDialog&)> m_setUp;
};

// Pixels as 0x00BBGGRR, row by row.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> colours;
    COLORREF At(int x, int y) const { return colours[y * width + x]; }
    bool operator==(const Pixels& other) const {
        return width == other.width && height == other.height && colours == other.colours;
    }
};

// What the window shows on the screen now, client area only.
Pixels CaptureClient(HWND hWnd);
// `image` (or its `source` rectangle) stretched over `width` x `height` on `ground`.
Pixels RenderOn(Gdiplus::Image* image, int width, int height, COLORREF ground,
                const RECT* source = nullptr);
Pixels RenderOnWhite(Gdiplus::Image* image, int width, int height, const RECT* source = nullptr);
// Whether a picture is fully transparent within `radius` of (x, y), judged from its
// renderings on white and on black.
bool IsClearAround(const Pixels& onWhite, const Pixels& onBlack, int x, int y, int radius);
bool SameColour(COLORREF a, COLORREF b, int tolerance);
// Mean difference per colour channel; a large value when the sizes differ.
double MeanDifference(const Pixels& a, const Pixels& b);
// The index of the reference that `shown` is closest to, or -1 when none is close.
int ClosestPicture(const Pixels& shown, const std::vector<Pixels>& references);

// The smallest rectangle holding every pixel in `area` for which `isInk` holds; empty
// (all zero) when there is none.
RECT InkBounds(const Pixels& pixels, const RECT& area, std::function<bool(COLORREF)> isInk);
bool IsDark(COLORREF colour);  // clearly darker than white: text or a mark on white

win::ImagePtr LoadPicture(WORD id);

POINT ScreenPoint(HWND hWnd, int clientX, int clientY);

// Dispatches this thread's messages until `done` holds, asking after each one; false
// after `timeoutMs`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000);

}  // namespace test
