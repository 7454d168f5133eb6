// Pure layout arithmetic of the window helpers: PositionName placement, word wrapping of text
// blocks to a pixel width and the vertical gradient. No windows.h: the callers measure.
#pragma once
#include "Utils.h"

#include <functional>
#include <vector>

namespace zk {

// --- PositionName: "|Center|Top/Left|...|Entire Screen|Hide|", index 0 to 10. ---
enum PositionIndexes {
    PosCenter,
    PosTopLeft,
    PosTopRight,
    PosBottomLeft,
    PosBottomRight,
    PosTopCenter,
    PosBottomCenter,
    PosLeftCenter,
    PosRightCenter,
    PosEntireScreen,
    PosHide
};
inline constexpr const char* PositionNames = "|Center|Top/Left|Top/Right|Bottom/Left|Bottom/Right|"
                                             "Top/Center|Bottom/Center|Left/Center|Right/Center|"
                                             "Entire Screen|Hide|";
// Case-insensitive; any other text is "Center" (0).
int PositionIndex(const Text& name);

struct Box {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Box&) const = default;
};
struct PlaceArea {
    int freeHeight = 0; // area height minus the control's
    int margin = 0;
    int top = 0;
    int left = 0;
    int freeWidth = 0; // area width minus the control's
};
// Where the placement `index` puts a control of the given box ("Entire Screen" also sizes it).
Box PlaceBox(int index, Box control, const PlaceArea& area);

// --- Captions that need more than their control's design width. ---
// The control widened to `needed` towards one side (right, or left when `growLeft`), as far
// as `limit`, the edge of its room on that side; its other edge stays where it reads from. It
// never gets narrower than it was.
Box WidenTowards(Box box, int needed, int limit, bool growLeft);
// A row of buttons keeps its right edge and the gaps between its buttons: a button whose
// caption needs more widens, and the buttons left of it move further left, but not past
// `leftLimit`; what does not fit is taken from the widening of the leftmost buttons first.
std::vector<Box> FitButtonRow(const std::vector<Box>& design, const std::vector<int>& needed,
                              int leftLimit);

// Rows (top to bottom) keep their design tops unless the row above, taller than designed,
// reaches lower: then a row stands `gap` below it, and the rows after it follow.
std::vector<int> StackRows(const std::vector<int>& designTops, const std::vector<int>& heights,
                           int gap);

// --- Text blocks (billboard pages). ---
struct TextBlock {
    std::vector<Text> lines;
    bool wrapped = false; // a wrapped block is never wrapped again
};
// Pixel width of a text at a font size (the caller's drawing surface).
using MeasureText = std::function<int(const Text& text, int size)>;

// Removes and returns one line of `text` that fits `width`; keeps the blank after its last
// word; the first word stays even when it is wider.
Text TakeWrappedLine(Text& text, int width, const std::function<int(const Text&)>& measure);
// Wraps every line once; "~" lines are measured at double size and all their parts keep "~".
void WrapLinesToWidth(TextBlock& block, int width, int size, const MeasureText& measure);
// A first line that is a list (it ends with its delimiter) whose item 0 is a whole number
// 0-255 ("|177|") is removed and gives the charset.
bool TakeCharsetLine(std::vector<Text>& lines, int& charset);

// --- Vertical gradient. ---
struct Rgb {
    int red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};
// Colour of row y of `rows`: from a towards b, each channel truncated; the last row is one
// step short of b.
Rgb GradientRow(Rgb a, Rgb b, int rows, int y);

} // namespace zk
