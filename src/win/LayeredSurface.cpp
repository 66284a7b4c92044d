#include "win/LayeredSurface.h"

namespace win {

namespace {

HBITMAP CreateTopDownDib(int width, int height, void** bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

}  // namespace

LayeredSurface::LayeredSurface(int width, int height)
    : m_width(width),
      m_height(height),
      m_dc(::CreateCompatibleDC(nullptr)),
      m_bitmap(width > 0 && height > 0 ? CreateTopDownDib(width, height, &m_bits) : nullptr),
      m_selection(m_dc.Get(), m_bitmap.Get()) {
    if (!m_dc || !m_bitmap) m_bits = nullptr;
}

bool LayeredSurface::DrawImage(Gdiplus::Image& image) {
    if (!IsValid()) return false;
    ::GdiFlush();
    auto* bitmap = dynamic_cast<Gdiplus::Bitmap*>(&image);
    if (bitmap != nullptr && image.GetWidth() == static_cast<UINT>(m_width) &&
        image.GetHeight() == static_cast<UINT>(m_height) && CopyPixels(*bitmap)) {
        return true;
    }
    // GDI+ writes premultiplied ARGB straight into the DIB's pixels, alpha included.
    Gdiplus::Bitmap target(m_width, m_height, m_width * 4, PixelFormat32bppPARGB,
                           static_cast<BYTE*>(m_bits));
    Gdiplus::Graphics graphics(&target);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.Clear(Gdiplus::Color(0, 0, 0, 0));
    return graphics.DrawImage(&image, 0, 0, m_width, m_height) == Gdiplus::Ok;
}

bool LayeredSurface::CopyPixels(Gdiplus::Bitmap& bitmap) {
    // GDI+ converts into the DIB's own pixels; at the same size the resampling would leave
    // each pixel as it is, at many times the cost.
    Gdiplus::Rect whole(0, 0, m_width, m_height);
    Gdiplus::BitmapData pixels = {};
    pixels.Width = static_cast<UINT>(m_width);
    pixels.Height = static_cast<UINT>(m_height);
    pixels.Stride = m_width * 4;
    pixels.PixelFormat = PixelFormat32bppPARGB;
    pixels.Scan0 = m_bits;
    if (bitmap.LockBits(&whole, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                        PixelFormat32bppPARGB, &pixels) != Gdiplus::Ok) {
        return false;
    }
    return bitmap.UnlockBits(&pixels) == Gdiplus::Ok;
}

bool LayeredSurface::PushTo(HWND hWnd, POINT position) const {
    if (!IsValid()) return false;
    WindowDC screen(hWnd);
    SIZE size = {m_width, m_height};
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return ::UpdateLayeredWindow(hWnd, screen.Get(), &position, &size, m_dc.Get(), &source, 0,
                                 &blend, ULW_ALPHA) != FALSE;
}

}  // namespace win
