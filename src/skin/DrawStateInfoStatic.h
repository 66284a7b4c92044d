#pragma once
// CDrawStateInfoStatic: a waiting text followed by a run of dots ("", ".", "..", "...")
// that a one-second window timer advances.

#include "skin/SkinStatic.h"

class CDrawStateInfoStatic : public CSkinStatic {
public:
    CDrawStateInfoStatic() : CSkinStatic(TextAlign::LineLeft) {}

    // Sets the text colour and repaints.
    void SetFontColor(COLORREF colour);
    void StartDotAnimation();
    // Stops the timer and shows the text without dots.
    void StopDotAnimation();
    // Back to no dots; a running animation goes on from there.
    void ResetDots();

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void DrawContent(HDC dc, const RECT& client) override;

private:
    COLORREF m_textColour = RGB(0, 0, 0);
    int m_dotCount = 0;  // 0 to 3
};
