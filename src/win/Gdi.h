#pragma once
// Owners for GDI objects and device contexts. Every one is move-only or pinned, and
// gives back exactly what it took: a GDI object leaked on each paint kills the process
// after 10,000 paints.

#include <windows.h>

#include "win/UniqueHandle.h"

namespace win {

template <typename T>
struct GdiObjectTraits {
    using Handle = T;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::DeleteObject(h); }
};

struct MemoryDcTraits {
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::DeleteDC(h); }
};

using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniquePen = UniqueHandle<GdiObjectTraits<HPEN>>;
using UniqueMemoryDC = UniqueHandle<MemoryDcTraits>;

// A window's device context (GetDC / ReleaseDC); null window: the screen's.
class WindowDC {
public:
    explicit WindowDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(::GetDC(hWnd)) {}
    ~WindowDC() {
        if (m_hDC != nullptr) ::ReleaseDC(m_hWnd, m_hDC);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

// The context of one WM_PAINT (BeginPaint / EndPaint).
class PaintDC {
public:
    explicit PaintDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(::BeginPaint(hWnd, &m_paint)) {}
    ~PaintDC() { ::EndPaint(m_hWnd, &m_paint); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC Get() const { return m_hDC; }
    const PAINTSTRUCT& Paint() const { return m_paint; }

private:
    HWND m_hWnd;
    PAINTSTRUCT m_paint = {};
    HDC m_hDC;
};

// Selects an object into a context and puts the previous one back.
class SelectObjectGuard {
public:
    SelectObjectGuard(HDC hDC, HGDIOBJ object)
        : m_hDC(hDC),
          m_previous(hDC != nullptr && object != nullptr ? ::SelectObject(hDC, object) : nullptr) {}
    ~SelectObjectGuard() {
        if (m_previous != nullptr && m_previous != HGDI_ERROR) ::SelectObject(m_hDC, m_previous);
    }
    SelectObjectGuard(const SelectObjectGuard&) = delete;
    SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_previous;
};

// An off-screen bitmap compatible with `reference`, selected into its own memory context:
// draw into Dc(), then copy to the window (double buffering).
class MemoryCanvas {
public:
    MemoryCanvas(HDC reference, int width, int height)
        : m_dc(::CreateCompatibleDC(reference)),
          m_bitmap(::CreateCompatibleBitmap(reference, width, height)),
          m_selection(m_dc.Get(), m_bitmap.Get()),
          m_width(width),
          m_height(height) {}
    bool IsValid() const { return m_dc && m_bitmap; }
    HDC Dc() const { return m_dc.Get(); }
    bool CopyTo(HDC target, int x = 0, int y = 0) const {
        return ::BitBlt(target, x, y, m_width, m_height, m_dc.Get(), 0, 0, SRCCOPY);
    }

private:
    UniqueMemoryDC m_dc;
    UniqueBitmap m_bitmap;
    SelectObjectGuard m_selection;  // released first: the bitmap is deselected before deletion
    int m_width;
    int m_height;
};

}  // namespace win
