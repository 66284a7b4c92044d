#include "skin/DrawStateInfoStatic.h"

#include <string>

namespace {

const UINT_PTR kDotTimerId = 36;
const UINT kDotIntervalMs = 1000;
const int kDotSteps = 4;  // none, one, two, three dots

}  // namespace

void CDrawStateInfoStatic::SetFontColor(COLORREF colour) {
    m_textColour = colour;
    Invalidate(true);
}

void CDrawStateInfoStatic::StartDotAnimation() { SetTimer(kDotTimerId, kDotIntervalMs); }

void CDrawStateInfoStatic::StopDotAnimation() {
    KillTimer(kDotTimerId);
    ResetDots();
}

void CDrawStateInfoStatic::ResetDots() {
    m_dotCount = 0;
    Invalidate(true);
}

bool CDrawStateInfoStatic::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_TIMER && wParam == kDotTimerId) {
        m_dotCount = (m_dotCount + 1) % kDotSteps;
        Invalidate(true);
        return false;  // the static's own handling as well
    }
    return CSkinStatic::OnMessage(message, wParam, lParam, result);
}

void CDrawStateInfoStatic::DrawContent(HDC dc, const RECT& client) {
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetBkMode(dc, TRANSPARENT);
    win::SelectObjectGuard font(dc, TextFont());
    ::SetTextColor(dc, m_textColour);
    const std::wstring text = GetWindowText() + std::wstring(m_dotCount, L'.');
    if (Background().HasImage()) {
        Gdiplus::Graphics graphics(dc);
        Background().Draw(graphics, client);
    }
    DrawPlacedText(dc, text, client, PlacementFor(AlignMode()));
}
