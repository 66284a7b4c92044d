#include "skin/DrawTextStatic.h"

namespace {

// Alignment modes 0 to 7; any other mode draws no text.
const TextPlacement kPlacements[] = {
    {DT_EXTERNALLEADING | DT_WORDBREAK | DT_VCENTER, true,
     DT_CALCRECT | DT_EXTERNALLEADING | DT_WORDBREAK},
    {DT_EXTERNALLEADING | DT_SINGLELINE | DT_VCENTER, false, 0},
    {DT_EXTERNALLEADING | DT_SINGLELINE | DT_VCENTER | DT_CENTER, false, 0},
    {DT_EXTERNALLEADING | DT_WORDBREAK | DT_VCENTER | DT_RIGHT, true,
     DT_CALCRECT | DT_EXTERNALLEADING | DT_WORDBREAK},
    {DT_EXTERNALLEADING | DT_SINGLELINE | DT_VCENTER, false, 0},
    {DT_EXTERNALLEADING | DT_WORDBREAK | DT_VCENTER | DT_CENTER, true,
     DT_CALCRECT | DT_EXTERNALLEADING | DT_WORDBREAK},
    {DT_EXTERNALLEADING | DT_WORDBREAK, false, 0},
    {DT_EXTERNALLEADING | DT_EDITCONTROL | DT_WORDBREAK, true,
     DT_CALCRECT | DT_EXTERNALLEADING | DT_EDITCONTROL | DT_WORDBREAK},
};

}  // namespace

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
    const int mode = AlignMode();
    if (mode < 0 || mode >= static_cast<int>(sizeof(kPlacements) / sizeof(kPlacements[0]))) {
        return;
    }
    win::SelectObjectGuard font(dc, TextFont());
    ::SetTextColor(dc, m_hover ? m_hoverColour : m_normalColour);
    DrawPlacedText(dc, GetWindowText(), client, kPlacements[mode]);
}
