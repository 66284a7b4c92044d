#include "skin/ResourceImage.h"

namespace {

HFONT BaseFont(HWND hWnd) {
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(hWnd, WM_GETFONT, 0, 0));
    if (font == nullptr) font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    if (font == nullptr) font = static_cast<HFONT>(::GetStockObject(ANSI_VAR_FONT));
    return font;
}

}  // namespace

int LoadPngResource(win::ImagePtr& image, WORD id) {
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

    // The stream frees the block with its last reference, which the image holds: the
    // bytes live exactly as long as the image.
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(block, TRUE, &stream))) {
        ::GlobalFree(block);
        return 0;
    }
    // GDI+ allocates on its own heap and answers null, never throws, when that fails.
    image = std::make_unique<Gdiplus::Image>(stream, FALSE);
    stream->Release();
    return 1;
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
