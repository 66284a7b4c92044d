#pragma once
// CImageButton: the large skinned push button (Disable, Enable, more tools, the feedback
// answers). Mouse messages count only inside the client area; the owner enables it
// through EnableButton and asks IsCursorInside before acting on a click, so that a
// click made with the keyboard while the cursor is elsewhere does nothing.

#include "skin/SkinButton.h"

class CImageButton : public CSkinButton {
public:
    void SetHitInsets(int left, int top, int right, int bottom);
    // Switches the window and the drawn state together, and repaints.
    void EnableButton(bool enable);
    // Whether the cursor lies in the client area shrunk by the hit insets.
    bool IsCursorInside() const;

protected:
    bool CountsMousePoint(POINT point) const override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;

private:
    RECT m_hitInsets = {};
};
