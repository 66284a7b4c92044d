#include "skin/SkinPaint.h"

void BackgroundSlice::Draw(Gdiplus::Graphics& graphics, const RECT& area) const {
    if (m_image == nullptr) return;
    const Gdiplus::Rect target(area.left, area.top, area.right - area.left, area.bottom - area.top);
    graphics.DrawImage(m_image, target, m_rect.left, m_rect.top, m_rect.right - m_rect.left,
                       m_rect.bottom - m_rect.top, Gdiplus::UnitPixel);
}

void DrawPlacedText(HDC dc, const std::wstring& text, RECT area, const TextPlacement& placement) {
    if (placement.centredBlock) {
        RECT measured = {area.left, area.top, area.right, area.top + 10};
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured,
                    placement.measureFlags);
        // Negative when the text is taller than the area: the block then starts above it.
        area.top += ((area.bottom - area.top) - (measured.bottom - measured.top)) / 2;
    }
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, placement.drawFlags);
}

void RedrawNow(HWND hWnd) {
    if (::IsWindowVisible(hWnd))
        ::RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}
