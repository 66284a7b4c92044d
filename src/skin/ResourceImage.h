#pragma once
// PNG pictures from the program's resources, and fonts derived from a window's font.

#include <windows.h>

#include <string>

#include "win/Gdi.h"
#include "win/Gdiplus.h"

// Decodes PNG resource `id` (type "PNG") of the program into a new image in `image` and
// returns 1; returns 0 and leaves `image` alone when there is no such resource. The
// resource bytes live exactly as long as the image.
int LoadPngResource(win::ImagePtr& image, WORD id);

// A copy of `hWnd`'s font (or the default GUI font); when `sizeChange` is not 0 the
// height grows by it and a positive `weight` replaces the weight.
void CreateDerivedFont(HWND hWnd, int sizeChange, int weight, win::UniqueFont& font);

// Width in pixels of `text` in that derived font; -1 without window or context.
int MeasureTextWidth(HWND hWnd, HDC hDC, std::wstring text, int sizeChange, int weight);
