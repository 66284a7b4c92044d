#pragma once
// The screen as a user sees it: a solid-colour window to put behind what is tested, pixels
// read back from the screen, and screenshots saved as PNG files.

#include <windows.h>

#include <string>

#include "win/Gdi.h"

namespace test {

// A visible, borderless window of one colour over the whole primary screen, so that a
// transparent pixel in front of it reads as that colour.
class SolidBackdrop {
public:
    explicit SolidBackdrop(COLORREF colour);
    ~SolidBackdrop();
    SolidBackdrop(const SolidBackdrop&) = delete;
    SolidBackdrop& operator=(const SolidBackdrop&) = delete;

    HWND Handle() const { return m_hWnd; }
    COLORREF Colour() const { return m_colour; }

private:
    COLORREF m_colour;
    win::UniqueBrush m_brush;
    HWND m_hWnd = nullptr;
};

COLORREF ScreenPixel(POINT point);

// True when every channel of the two colours differs by at most `tolerance`.
bool NearColour(COLORREF a, COLORREF b, int tolerance);

// Saves the screen's `area` as a PNG file; false when it could not.
bool SaveScreenPng(const RECT& area, const std::wstring& path);

}  // namespace test
