#include "skin/DrawTextStatic.h"

void CDrawTextStatic::SetBkColor(COLORREF colour) {
    m_groundColour = colour;
    m_groundBrush.Reset();  // the next paint makes it in the new colour
}

void CDrawTextStatic::SetTextColors(COLORREF normal, COLORREF hover) {
    m_normalColour = normal;
    m_hoverColour = hover;
}

bool CDrawTextStatic::IsPointInside(int x, int y) const {
    const RECT window = GetWindowRect();
    return ::PtInRect(&window, POINT{x, y}) != FALSE;
}

void CDrawTextStatic::UpdateHover(int x, int y) {
    const bool hover = IsPointInside(x, y);
    if (hover == m_hover) return;
    m_hover = hover;
    Invalidate(true);
}

void CDrawTextStatic::DrawContent(HDC dc, const RECT& client) {
    if (!m_groundBrush) m_groundBrush.Reset(::CreateSolidBrush(m_groundColour));
    ::FillRect(dc, &client, m_groundBrush.Get());
    ::SetBkMode(dc, TRANSPARENT);
    if (Background().HasImage()) {
        Gdiplus::Graphics graphics(dc);
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
        Background().Draw(graphics, client);
    }
    // Labels keep the font's external leading, in measuring as in drawing.
    TextPlacement placement = PlacementFor(AlignMode());
    placement.drawFlags |= DT_EXTERNALLEADING;
    placement.measureFlags |= DT_EXTERNALLEADING;
    win::SelectObjectGuard font(dc, TextFont());
    ::SetTextColor(dc, m_hover ? m_hoverColour : m_normalColour);
    DrawPlacedText(dc, GetWindowText(), client, placement);
}
