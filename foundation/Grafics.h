// Drawing on a device context: the text blocks of the billboard pages, the vertical colour
// gradient of the side panels, and pictures (bitmap files and painted bitmaps shown in static
// picture controls).
#pragma once
#include "Handles.h"
#include "Layout.h"

#include <functional>

namespace zk {

// Font style bits of a text block: 1 bold, 2 italic, 4 underline, 8 strike-out.
enum FontStyleBits { StyleBold = 1, StyleItalic = 2, StyleUnderline = 4, StyleStrikeOut = 8 };

// Draws the block from (margin, margin), wrapped once to the area width less both margins.
// A first line "|charset|" is removed and replaces `charset`; 177 and 178 draw right-aligned,
// reading right to left. "~" lines are drawn at double size. An empty block draws nothing.
void DrawTextBlock(HDC dc, const Text& fontName, int style, TextBlock& block, int margin,
                   int areaWidth, int charset, COLORREF color, int size);

// Rows 0 to rows - 1, one pixel high and `width` wide, from `top` towards `bottom`.
void FillVerticalGradient(HDC dc, Rgb top, Rgb bottom, int width, int rows);

// A bitmap file (.bmp); empty when it cannot be loaded.
UniqueBitmap LoadPictureFile(const Text& path);
SIZE PictureSize(HBITMAP picture);
// A picture file in any format the platform's picture loader reads (BMP, JPG, PNG, GIF, ICO),
// as a screen bitmap of its pixel size; empty when it cannot be loaded.
UniqueBitmap LoadAnyPictureFile(const Text& path);
// The face name when a screen font of that name is installed, else `fallback`.
Text InstalledFontOr(const Text& face, const Text& fallback);
// A screen-compatible bitmap of width x height, painted by `paint` on a memory DC.
UniqueBitmap PaintPicture(int width, int height, const std::function<void(HDC)>& paint);
// Shows the bitmap in a static control made with SS_BITMAP (which takes the bitmap's size);
// the caller keeps owning the bitmap for as long as the control shows it.
void ShowPicture(HWND image, HBITMAP picture);

} // namespace zk
