#include "skin/PngButton.h"

void CPngButton::DrawItem(const DRAWITEMSTRUCT& item) {
    // Without all four faces the button is invisible but still works.
    if (!AllStateImagesLoaded()) return;
    PaintFace(item.hDC, item.rcItem, m_scale > 1.0f);
}
