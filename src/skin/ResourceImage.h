#pragma once
// PNG pictures from the program's resources, and fonts derived from a window's font.

#include <windows.h>

#include <string>

#include "win/Gdi.h"
#include "win/Gdiplus.h"

// Decodes PNG resource `id` (type "PNG") of the program into a new image in `image` and
// returns 1; returns 0 and leaves `image` alone when there is no such resource or it holds
// no picture that can be decoded. The image
// holds its pixels alone (or, should copying them fail, the decoder and its bytes too).
int LoadPngResource(win::ImagePtr& image, WORD id);

// A PNG resource decoded on first use: a window's first paint needs few of its pictures,
// and a hover or pressed face may never be needed at all.
class LazyPicture {
public:
    // Names the resource to decode on first use; returns false and keeps what it holds when
    // the program has no such resource.
    bool SetResource(WORD id);
    // The picture, decoded now if it has not been; null when there is none.
    Gdiplus::Image* Get();
    // Whether it holds a picture, decoded or to decode.
    bool HasPicture() const { return m_image || m_pendingId != 0; }
    void Reset();

private:
    win::ImagePtr m_image;
    WORD m_pendingId = 0;
};

// A copy of `hWnd`'s font (or the default GUI font); when `sizeChange` is not 0 the
// height grows by it and a positive `weight` replaces the weight.
void CreateDerivedFont(HWND hWnd, int sizeChange, int weight, win::UniqueFont& font);

// Width in pixels of `text` in that derived font; -1 without window or context.
int MeasureTextWidth(HWND hWnd, HDC hDC, std::wstring text, int sizeChange, int weight);
