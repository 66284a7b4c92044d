#pragma once
// What the two drawn statics share: their own font, an alignment mode, a slice of the
// owner's background, and painting the whole control through a memory bitmap.

#include <windows.h>

#include "skin/SkinPaint.h"
#include "win/Gdi.h"
#include "win/Gdiplus.h"
#include "win/SubclassWnd.h"

class CSkinStatic : public CStatic {
public:
    explicit CSkinStatic(TextAlign align) : m_align(align) {}

    // A copy of the parent's font; `enlarge` grows it and, only together with a
    // non-zero `enlarge`, a positive `weight` replaces its weight.
    void SetTextFont(int enlarge, int weight);
    void SetAlignMode(TextAlign align) { m_align = align; }
    void SetBkImage(Gdiplus::Image* image) { m_background.SetImage(image); }
    void SetBkImageRect(RECT rect) { m_background.SetRect(rect); }

protected:
    // Draws the whole control into `dc`, a memory bitmap of the client size.
    virtual void DrawContent(HDC dc, const RECT& client) = 0;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // Our font, or the control's own until SetTextFont has made one.
    HFONT TextFont() const;
    TextAlign AlignMode() const { return m_align; }
    const BackgroundSlice& Background() const { return m_background; }

private:
    void OnPaint();

    win::UniqueFont m_textFont;
    TextAlign m_align;
    BackgroundSlice m_background;
};
