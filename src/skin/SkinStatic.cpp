#include "skin/SkinStatic.h"

#include "skin/ResourceImage.h"

void CSkinStatic::SetTextFont(int enlarge, int weight) {
    CreateDerivedFont(GetParent(), enlarge, weight, m_textFont);
}

HFONT CSkinStatic::TextFont() const { return m_textFont ? m_textFont.Get() : GetFont(); }

bool CSkinStatic::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_PAINT) {
        OnPaint();
        result = 0;
        return true;
    }
    if (message == WM_SETTEXT || message == WM_ENABLE) {
        // The platform static paints its own face for these.
        result = Default(message, wParam, lParam);
        RedrawNow(m_hWnd);
        return true;
    }
    return CStatic::OnMessage(message, wParam, lParam, result);
}

void CSkinStatic::OnPaint() {
    win::PaintDC paint(m_hWnd);
    const RECT client = GetClientRect();
    win::MemoryCanvas canvas(paint.Get(), client.right, client.bottom);
    if (!canvas.IsValid()) return;
    DrawContent(canvas.Dc(), client);
    canvas.CopyTo(paint.Get());
}
