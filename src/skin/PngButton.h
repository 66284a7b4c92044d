#pragma once
// CPngButton: the small skinned push button (close, minimise, the prompt's buttons).
// Every mouse message over it counts; at a scale above 1.0 the face loses its last
// column and row before it is stretched.

#include "skin/SkinButton.h"

class CPngButton : public CSkinButton {
public:
    void SetScale(float scale) { m_scale = scale; }

protected:
    void DrawItem(const DRAWITEMSTRUCT& item) override;

private:
    float m_scale = 1.0f;
};
