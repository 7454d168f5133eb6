// Pure half of the background window: colour settings, title font rows and where a title and
// its subtitle go. No windows.h: the window measures the texts and draws them.
#pragma once
#include "Utils.h"

#include <functional>
#include <vector>

namespace zk {

// A colour setting ($00BBGGRR as a number); any other text is pure blue.
int BackgroundColor(const Text& setting);

// A title font row "|name|size|colour|charset|style|". The name is kept as written (the
// window replaces one that is not installed); size 16, white, charset 1, style 0 by default.
struct TitleFont {
    Text name;
    int size = 16;
    int color = 0xFFFFFF;
    int charset = 1;
    int style = 0; // 1 bold, 2 italic, 4 underline, 8 strike-out
    bool operator==(const TitleFont&) const = default;
};
TitleFont ParseTitleFont(const Text& row);
// The point size drawn on a screen of `pixelsPerInch`: size * 96 / ppi.
int ScaledTitleSize(int size, int pixelsPerInch);
// Horizontal offset of the second top title: the difference of the raw sizes, divided by 7.
int SecondTitleOffset(const Text& firstFontRow, const Text& secondFontRow);

// Extent of a text in its font: width, height and ascent.
struct TextExtent {
    int width = 0, height = 0, ascent = 0;
};
struct TitleArea {
    int clientWidth = 0, clientHeight = 0;
    int screenWidth = 0;
};
// Where DrawTitleText puts a title: the text at (x, top) and its shadow 2 pixels right and
// down; a subtitle at (subX, subTop) on the same baseline.
struct TitlePlace {
    int x = 0, top = 0;
    int subX = 0, subTop = 0;
    bool operator==(const TitlePlace&) const = default;
};
// `text` is measured with the blank that precedes a subtitle; `subtitle` (at half size) is
// null without one. `y` is the running offset: it becomes the title's top plus its height.
// Sides "Left", "Right", "Center" (any case); any other side is the left edge. `vertical` is
// "Top" or "Bottom".
TitlePlace PlaceTitle(const TextExtent& text, const TextExtent* subtitle, int& y, int dx,
                      const Text& side, const Text& vertical, const TitleArea& area);

// The three titles of the window: the top title (with the version as subtitle when asked),
// the second top title and the bottom title.
struct TitleSetting {
    Text text, subtitle, fontRow, side;
};
struct PlacedTitle {
    Text text; // with the blank before a subtitle
    Text subtitle;
    TitleFont font;
    TitlePlace place;
};
// Extent of a text in a title font, at half its size for a subtitle.
using MeasureTitle = std::function<TextExtent(const Text& text, const TitleFont& font, bool half)>;
// The titles in drawing order with their places; empty titles are left out and do not move
// the running offset.
std::vector<PlacedTitle> LayoutTitles(const TitleSetting& top, const TitleSetting& top2,
                                      const TitleSetting& bottom, const MeasureTitle& measure,
                                      const TitleArea& area);

} // namespace zk
