#pragma once
// What the two skinned push buttons share: four face pictures (normal, hover, pressed,
// disabled) over a slice of the owner's background, and the mouse state machine that
// picks the face. The template control is owner-drawn; no caption is ever shown.

#include <windows.h>

#include "skin/ResourceImage.h"
#include "skin/SkinPaint.h"
#include "win/Gdiplus.h"
#include "win/SubclassWnd.h"

class CSkinButton : public CButton {
public:
    enum State { kNormal = 1, kHover = 2, kPressed = 3, kDisabledByOwner = 4 };

    void SetBkImage(Gdiplus::Image* image) { m_background.SetImage(image); }
    void SetBkImageRect(RECT rect) { m_background.SetRect(rect); }
    // PNG resource ids, each decoded when its face is first shown; a missing resource keeps
    // what that state held.
    void LoadStateImages(UINT normal, UINT hover, UINT pressed, UINT disabled);
    // The owner frees the pictures when its window goes; the destructor does it too.
    void FreeStateImages();

protected:
    // Whether a mouse message at `point` (client coordinates) may change the state.
    virtual bool CountsMousePoint(POINT /*point*/) const { return true; }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool AllStateImagesLoaded() const;
    // Changes the state and repaints, only when it differs.
    void SetState(State state);
    // Paints ground, background slice and the current face into `target` through a
    // memory bitmap. `trimFace` leaves out the face's last column and row.
    void PaintFace(HDC target, const RECT& area, bool trimFace) const;

private:
    Gdiplus::Image* CurrentFace() const;
    void ChangeStateFromMouse(State state, LPARAM point);

    enum Face { kNormalFace, kHoverFace, kPressedFace, kDisabledFace, kFaceCount };
    BackgroundSlice m_background;
    mutable LazyPicture m_faces[kFaceCount];  // decoded on first paint of each face
    State m_state = kNormal;
    bool m_tracking = false;  // a hover/leave request is active
};
