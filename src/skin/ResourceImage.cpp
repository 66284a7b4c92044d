#include "skin/ResourceImage.h"

#include "system/StepTimes.h"

namespace {

HFONT BaseFont(HWND hWnd) {
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(hWnd, WM_GETFONT, 0, 0));
    if (font == nullptr) font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    if (font == nullptr) font = static_cast<HFONT>(::GetStockObject(ANSI_VAR_FONT));
    return font;
}

// A decoded picture keeps its decoder, with a decoded copy of its own, and its compressed
// bytes for as long as it lives: a copy of the pixels alone takes about half the memory.
win::ImagePtr PixelsOnly(std::unique_ptr<Gdiplus::Bitmap> decoded) {
    std::unique_ptr<Gdiplus::Bitmap> pixels(
        decoded->Clone(0, 0, static_cast<INT>(decoded->GetWidth()),
                       static_cast<INT>(decoded->GetHeight()), decoded->GetPixelFormat()));
    if (!pixels || pixels->GetLastStatus() != Gdiplus::Ok) return decoded;
    return pixels;
}

}  // namespace

int LoadPngResource(win::ImagePtr& image, WORD id) {
    const TimedStep step("decode", id);
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    if (resource == nullptr) return 0;
    const DWORD size = ::SizeofResource(module, resource);
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr || size == 0) return 0;

    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr) return 0;
    void* copy = ::GlobalLock(block);
    ::CopyMemory(copy, bytes, size);
    ::GlobalUnlock(block);

    // The stream frees the block with its last reference: once the decoded picture has
    // been copied, or with the picture itself when copying fails.
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(block, TRUE, &stream))) {
        ::GlobalFree(block);
        return 0;
    }
    // GDI+ allocates on its own heap and answers null, never throws, when that fails.
    // A bitmap, so that a layered surface of its size can copy its pixels.
    auto decoded = std::make_unique<Gdiplus::Bitmap>(stream, FALSE);
    stream->Release();
    // Bytes that are no picture are as good as none: a window drawn from them shows nothing.
    if (!decoded || decoded->GetLastStatus() != Gdiplus::Ok) return 0;
    image = PixelsOnly(std::move(decoded));
    return 1;
}

bool LazyPicture::SetResource(WORD id) {
    if (::FindResourceW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), L"PNG") == nullptr) {
        return false;
    }
    m_pendingId = id;
    return true;
}

Gdiplus::Image* LazyPicture::Get() {
    if (m_pendingId != 0) {
        // On failure the picture held before stays, as when a resource is missing.
        LoadPngResource(m_image, m_pendingId);
        m_pendingId = 0;
    }
    return m_image.get();
}

void LazyPicture::Reset() {
    m_image.reset();
    m_pendingId = 0;
}

void CreateDerivedFont(HWND hWnd, int sizeChange, int weight, win::UniqueFont& font) {
    LOGFONTW logFont = {};
    ::GetObjectW(BaseFont(hWnd), sizeof(logFont), &logFont);
    if (sizeChange != 0) {
        if (weight > 0) logFont.lfWeight = weight;
        logFont.lfHeight -= sizeChange;
    }
    font.Reset(::CreateFontIndirectW(&logFont));
}

int MeasureTextWidth(HWND hWnd, HDC hDC, std::wstring text, int sizeChange, int weight) {
    if (hWnd == nullptr || hDC == nullptr) return -1;
    win::UniqueFont font;
    CreateDerivedFont(hWnd, sizeChange, weight, font);
    win::SelectObjectGuard selection(hDC, font.Get());
    SIZE extent = {};
    ::GetTextExtentPoint32W(hDC, text.c_str(), static_cast<int>(text.size()), &extent);
    return extent.cx;
}
