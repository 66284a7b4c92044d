#pragma once
// CCheckBoxBtn: the skinned agreement check box. The platform check box keeps the
// checked state and sends the clicks; this control only paints it: a mark from the
// check box strip (PNG 140) and the caption in the parent's font on white.

#include <windows.h>

#include "win/Gdi.h"
#include "win/Gdiplus.h"
#include "win/SubclassWnd.h"

class CCheckBoxBtn : public CButton {
public:
    // The caption font becomes an unchanged copy of the parent window's font.
    void SetParentFont();
    void SetScale(float scale) { m_scale = scale; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnPaint();
    void DrawMarkAndCaption(HDC dc, RECT area);

    win::ImagePtr m_mark;  // three 16 x 16 cells: unchecked, checked, unused
    // Kept from paint to paint; made again only when the client size changes.
    win::UniqueMemoryDC m_memoryDc;
    win::UniqueBitmap m_memoryBitmap;
    SIZE m_bitmapSize = {};
    win::UniqueFont m_captionFont;
    float m_scale = 1.0f;
};
