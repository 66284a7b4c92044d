#include "skin/KeptPictures.h"

#include "skin/ResourceImage.h"

Gdiplus::Image* CKeptPictures::Picture(WORD id) {
    win::ImagePtr& picture = m_pictures[id];
    if (!picture) LoadPngResource(picture, id);
    return picture.get();
}

const win::LayeredSurface* CKeptPictures::Surface(WORD id, SIZE size) {
    DrawnPicture& drawn = m_drawn[id];
    if (drawn.surface && drawn.size.cx == size.cx && drawn.size.cy == size.cy) {
        return drawn.surface.get();
    }
    drawn.surface.reset();  // one surface per picture: the old size goes first
    Gdiplus::Image* picture = Picture(id);
    if (picture == nullptr) return nullptr;
    auto surface = std::make_unique<win::LayeredSurface>(size.cx, size.cy);
    if (!surface->DrawImage(*picture)) return nullptr;
    drawn = {size, std::move(surface)};
    return drawn.surface.get();
}
