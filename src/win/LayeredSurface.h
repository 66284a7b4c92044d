#pragma once
// The off-screen picture of a per-pixel-alpha window: a top-down 32-bit DIB in
// premultiplied alpha, selected into its own memory context, pushed with
// UpdateLayeredWindow.

#include <windows.h>

#include "win/Gdi.h"
#include "win/Gdiplus.h"

namespace win {

class LayeredSurface {
public:
    LayeredSurface(int width, int height);
    bool IsValid() const { return m_bits != nullptr; }

    // Draws the whole image stretched over the surface, at high-quality smoothing (a bitmap
    // of the surface's own size is copied).
    bool DrawImage(Gdiplus::Image& image);
    // Hands the surface to `hWnd` as its picture, its top-left corner at `position`.
    bool PushTo(HWND hWnd, POINT position) const;

private:
    bool CopyPixels(Gdiplus::Bitmap& bitmap);

    int m_width;
    int m_height;
    void* m_bits = nullptr;
    UniqueMemoryDC m_dc;
    UniqueBitmap m_bitmap;
    SelectObjectGuard m_selection;
};

}  // namespace win
