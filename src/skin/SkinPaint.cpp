#include "skin/SkinPaint.h"

void BackgroundSlice::Draw(Gdiplus::Graphics& graphics, const RECT& area) const {
    if (m_image == nullptr) return;
    const Gdiplus::Rect target(area.left, area.top, area.right - area.left, area.bottom - area.top);
    graphics.DrawImage(m_image, target, m_rect.left, m_rect.top, m_rect.right - m_rect.left,
                       m_rect.bottom - m_rect.top, Gdiplus::UnitPixel);
}

TextPlacement PlacementFor(TextAlign align) {
    const UINT line = DT_SINGLELINE | DT_VCENTER;
    const UINT block = DT_WORDBREAK | DT_VCENTER;
    const UINT measureBlock = DT_CALCRECT | DT_WORDBREAK;
    switch (align) {
        case TextAlign::LineLeft:
            return {line, false, 0};
        case TextAlign::LineCentred:
            return {line | DT_CENTER, false, 0};
        case TextAlign::LineRight:
            return {line | DT_RIGHT, false, 0};
        case TextAlign::BlockLeft:
            return {block, true, measureBlock};
        case TextAlign::BlockCentred:
            return {block | DT_CENTER, true, measureBlock};
        case TextAlign::BlockRight:
            return {block | DT_RIGHT, true, measureBlock};
        case TextAlign::BlockLeftFromTop:
            return {DT_WORDBREAK, false, 0};
        case TextAlign::EditBlockLeft:
            return {DT_EDITCONTROL | DT_WORDBREAK, true,
                    DT_CALCRECT | DT_EDITCONTROL | DT_WORDBREAK};
    }
    return {line, false, 0};
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
