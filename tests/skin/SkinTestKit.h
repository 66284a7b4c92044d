#pragma once
// The drawn controls in a real dialog, and the pixels a window shows compared with the
// pictures it should show.

#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

#include "support/RealInput.h"
#include "win/Dialog.h"
#include "win/Gdiplus.h"

namespace test {

// A modeless, topmost dialog whose controls are bound to the objects given (the others
// hidden, so that none paints over another); it records the commands it receives.
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

Pixels CaptureClient(HWND hWnd);
// `image` (or its `source` rectangle) stretched over `width` x `height` on `ground`.
Pixels RenderOn(Gdiplus::Image* image, int width, int height, const RECT* source = nullptr,
                COLORREF ground = RGB(255, 255, 255));
// The pictures `ids`, each stretched over `width` x `height`.
std::vector<Pixels> RenderAll(const std::vector<WORD>& ids, int width, int height);
// The index of the reference that `shown` is closest to, or -1 when none is close.
int ClosestPicture(const Pixels& shown, const std::vector<Pixels>& references);

win::ImagePtr LoadPicture(WORD id);
POINT ScreenPoint(HWND hWnd, int clientX, int clientY);

// Dispatches this thread's messages until `done` holds; false after `timeoutMs`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000);

}  // namespace test
