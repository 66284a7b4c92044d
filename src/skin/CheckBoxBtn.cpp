#include "skin/CheckBoxBtn.h"

#include <string>

#include "resource.h"
#include "skin/ResourceImage.h"
#include "skin/SkinPaint.h"

namespace {

const int kCellSize = 16;
const int kCaptionGap = 2;

// Messages after which the platform check box may have changed its checked, pushed or
// focus state, and may have painted its own face over ours.
bool MayChangeButtonState(UINT message) {
    switch (message) {
        case BM_SETCHECK:
        case BM_SETSTATE:
        case BM_CLICK:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_LBUTTONUP:
        case WM_MOUSEMOVE:
        case WM_CAPTURECHANGED:
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            return true;
        default:
            return false;
    }
}

}  // namespace

void CCheckBoxBtn::SetParentFont() { CreateDerivedFont(GetParent(), 0, 0, m_captionFont); }

bool CCheckBoxBtn::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_PAINT) {
        OnPaint();
        result = 0;
        return true;
    }
    if (message == WM_MBUTTONDOWN) {
        Invalidate(true);
        result = Default(message, wParam, lParam);
        return true;
    }
    if (MayChangeButtonState(message)) {
        const LRESULT before = SendMessage(BM_GETSTATE);
        result = Default(message, wParam, lParam);
        if (SendMessage(BM_GETSTATE) != before) RedrawNow(m_hWnd);
        return true;
    }
    if (message == WM_SETTEXT || message == WM_ENABLE || message == WM_UPDATEUISTATE) {
        result = Default(message, wParam, lParam);
        RedrawNow(m_hWnd);
        return true;
    }
    return CButton::OnMessage(message, wParam, lParam, result);
}

void CCheckBoxBtn::OnPaint() {
    win::PaintDC paint(m_hWnd);
    const RECT client = GetClientRect();
    if (!m_memoryDc) m_memoryDc.Reset(::CreateCompatibleDC(paint.Get()));
    if (!m_memoryBitmap || m_bitmapSize.cx != client.right || m_bitmapSize.cy != client.bottom) {
        m_memoryBitmap.Reset(::CreateCompatibleBitmap(paint.Get(), client.right, client.bottom));
        m_bitmapSize = {client.right, client.bottom};
    }
    if (!m_memoryDc || !m_memoryBitmap) return;
    const HDC dc = m_memoryDc.Get();
    win::SelectObjectGuard bitmap(dc, m_memoryBitmap.Get());
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetBkMode(dc, TRANSPARENT);
    // Without the strip only the ground shows; the load is tried again at the next paint.
    if (m_mark || LoadPngResource(m_mark, IDB_CHECKBOX)) DrawMarkAndCaption(dc, client);
    ::BitBlt(paint.Get(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
}

void CCheckBoxBtn::DrawMarkAndCaption(HDC dc, RECT area) {
    const int boxSize = static_cast<int>(m_scale * kCellSize);
    const int boxTop = (area.bottom - area.top) / 2 - static_cast<int>(m_scale * kCellSize / 2);
    // Indeterminate is drawn as unchecked.
    const int cell = GetCheck() == BST_CHECKED ? 1 : 0;
    {
        Gdiplus::Graphics graphics(dc);
        graphics.DrawImage(m_mark.get(), Gdiplus::Rect(area.left, boxTop, boxSize, boxSize),
                           cell * kCellSize, 0, kCellSize, kCellSize, Gdiplus::UnitPixel);
    }
    win::SelectObjectGuard font(dc, m_captionFont.Get());
    ::SetTextColor(dc, RGB(0, 0, 0));
    const std::wstring caption = GetWindowText();
    area.left += boxSize + kCaptionGap;
    ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &area,
                DT_VCENTER | DT_SINGLELINE);
}
