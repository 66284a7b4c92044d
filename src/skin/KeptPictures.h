#pragma once
// Pictures that windows shown again and again borrow instead of decoding their own: each PNG
// resource is decoded on first need and kept, and a picture drawn over a layered surface is
// kept at the size it was last drawn at. The owner keeps the set longer than any window
// that borrows from it, and uses it on one thread.

#include <windows.h>

#include <map>
#include <memory>

#include "win/Gdiplus.h"
#include "win/LayeredSurface.h"

class CKeptPictures {
public:
    CKeptPictures() = default;
    CKeptPictures(const CKeptPictures&) = delete;
    CKeptPictures& operator=(const CKeptPictures&) = delete;

    // PNG resource `id`; null while it cannot be decoded (tried again on the next call).
    Gdiplus::Image* Picture(WORD id);
    // Picture `id` stretched over a surface of `size`, drawn again only when the size
    // changes; null without the picture or the surface.
    const win::LayeredSurface* Surface(WORD id, SIZE size);

private:
    struct DrawnPicture {
        SIZE size;
        std::unique_ptr<win::LayeredSurface> surface;
    };

    std::map<WORD, win::ImagePtr> m_pictures;
    std::map<WORD, DrawnPicture> m_drawn;
};
