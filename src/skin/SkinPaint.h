#pragma once
// Drawing pieces shared by the skinned controls: the slice of the owner's background
// that a control paints behind itself, and text placed by a control's alignment rule.

#include <windows.h>

#include <string>

#include "win/Gdiplus.h"

// A rectangle of the owning dialog's background picture. The picture is lent by the
// dialog, never owned here.
class BackgroundSlice {
public:
    void SetImage(Gdiplus::Image* image) { m_image = image; }
    void SetRect(const RECT& rect) { m_rect = rect; }
    bool HasImage() const { return m_image != nullptr; }
    // Stretches the slice over `area`; nothing without a picture.
    void Draw(Gdiplus::Graphics& graphics, const RECT& area) const;

private:
    Gdiplus::Image* m_image = nullptr;
    RECT m_rect = {};
};

// Where DrawTextW puts a text in a control. A centred block is measured first and then
// drawn from the top edge that centres it vertically.
struct TextPlacement {
    UINT drawFlags;
    bool centredBlock;
    UINT measureFlags;  // with DT_CALCRECT; used only for a centred block
};

// How a drawn static places its text. A block is wrapped at word breaks and centred
// vertically as a whole.
enum class TextAlign {
    LineLeft,  // one line, vertically centred
    LineCentred,
    LineRight,
    BlockLeft,
    BlockCentred,
    BlockRight,
    BlockLeftFromTop,  // wrapped at word breaks, from the top edge
    EditBlockLeft,     // wrapped as an edit control wraps, centred vertically
};

TextPlacement PlacementFor(TextAlign align);

void DrawPlacedText(HDC dc, const std::wstring& text, RECT area, const TextPlacement& placement);

// Repaints a visible control at once. Native controls paint some changes (new text, a
// new button state) straight onto the screen; this puts the skinned face back.
void RedrawNow(HWND hWnd);
