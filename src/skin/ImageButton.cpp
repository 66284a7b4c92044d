#include "skin/ImageButton.h"

void CImageButton::SetHitInsets(int left, int top, int right, int bottom) {
    m_hitInsets = {left, top, right, bottom};
}

void CImageButton::EnableButton(bool enable) {
    SetState(enable ? kNormal : kDisabledByOwner);
    EnableWindow(enable);
    Invalidate(true);
}

bool CImageButton::IsCursorInside() const {
    POINT cursor = {};
    if (!::GetCursorPos(&cursor) || !::ScreenToClient(m_hWnd, &cursor)) return false;
    RECT inner = GetClientRect();
    inner.left += m_hitInsets.left;
    inner.top += m_hitInsets.top;
    inner.right -= m_hitInsets.right;
    inner.bottom -= m_hitInsets.bottom;
    return ::PtInRect(&inner, cursor) != FALSE;
}

bool CImageButton::CountsMousePoint(POINT point) const {
    const RECT client = GetClientRect();
    return ::PtInRect(&client, point) != FALSE;
}

bool CImageButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_ERASEBKGND) {
        // The whole face, even with faces missing: ground, slice and what is loaded.
        PaintFace(reinterpret_cast<HDC>(wParam), GetClientRect(), false);
        result = TRUE;
        return true;
    }
    return CSkinButton::OnMessage(message, wParam, lParam, result);
}

void CImageButton::DrawItem(const DRAWITEMSTRUCT& item) {
    if (!AllStateImagesLoaded()) return;
    PaintFace(item.hDC, GetClientRect(), false);
}
