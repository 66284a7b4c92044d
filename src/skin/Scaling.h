#pragma once
// Every pixel size of a skinned window is a design value at scale 1.0 times the screen's
// scale, truncated toward zero, never rounded.

// The scale for a screen of `dpi` logical pixels per inch: dpi / 96 above 100, else 1.0.
float ScaleForDpi(int dpi);
// The same for the screen's vertical pixels per inch; 1.0 without a screen context.
float ScreenScale();

// A computed pixel position or size, truncated toward zero. The value keeps the type its
// formula gives it: at some scales a product truncates differently in float than in double.
template <typename T>
int Truncate(T value) {
    return static_cast<int>(value);
}

// A design length at `scale`, truncated; the product is taken in double.
inline int Scaled(float scale, double designValue) { return Truncate(scale * designValue); }
