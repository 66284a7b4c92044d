#pragma once
// CDrawTextStatic: a text label on a ground colour (and optionally a background slice)
// with a normal and a hover text colour. A static gets no mouse input, so the owner
// feeds it the mouse positions it sees (UpdateHover) and detects clicks (IsPointInside).

#include "skin/SkinStatic.h"

class CDrawTextStatic : public CSkinStatic {
public:
    CDrawTextStatic() : CSkinStatic(TextAlign::BlockLeft) {}

    void SetBkColor(COLORREF colour);
    void SetTextColors(COLORREF normal, COLORREF hover);
    // `x`, `y` in screen coordinates; repaints only when the hover state changes.
    void UpdateHover(int x, int y);
    bool IsPointInside(int x, int y) const;

protected:
    void DrawContent(HDC dc, const RECT& client) override;

private:
    win::UniqueBrush m_groundBrush;  // made from m_groundColour when first needed
    COLORREF m_groundColour = RGB(255, 255, 255);
    COLORREF m_normalColour = RGB(0, 0, 0);
    COLORREF m_hoverColour = RGB(0, 0, 255);
    bool m_hover = false;
};
