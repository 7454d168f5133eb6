#include "Grafics.h"
#include "Ctrls.h"
#include "MsgMarkup.h"

namespace zk {

namespace {

// Font of a text block at a point size, on the DC's resolution.
HFONT BlockFont(HDC dc, const Text& name, int style, int charset, int size) {
    FontDesc d;
    d.face = name;
    d.height = -MulDiv(size, GetDeviceCaps(dc, LOGPIXELSY), 72);
    d.weight = style & StyleBold ? FW_BOLD : FW_NORMAL;
    d.italic = (style & StyleItalic) != 0;
    d.underline = (style & StyleUnderline) != 0;
    d.strikeOut = (style & StyleStrikeOut) != 0;
    d.charset = charset;
    return SharedFont(d);
}

SIZE TextSize(HDC dc, const Text& text) {
    SIZE s{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &s);
    return s;
}

// A "~" line: the mark removed, drawn at double size.
int TakeSizeMark(Text& line, int size) {
    size_t tilde = line.find('~');
    if (tilde == Text::npos) return size;
    line.erase(tilde, 1);
    return 2 * size;
}

} // namespace

void DrawTextBlock(HDC dc, const Text& fontName, int style, TextBlock& block, int margin,
                   int areaWidth, int charset, COLORREF color, int size) {
    if (block.lines.empty()) return;
    TakeCharsetLine(block.lines, charset);
    const bool rtl = IsRtlCharset(charset);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor = SetTextColor(dc, color);
    HGDIOBJ original = SelectObject(dc, BlockFont(dc, fontName, style, charset, size));
    const int width = areaWidth - 2 * margin;
    WrapLinesToWidth(block, width, size, [&](const Text& text, int at) {
        SelectObject(dc, BlockFont(dc, fontName, style, charset, at));
        return static_cast<int>(TextSize(dc, text).cx);
    });
    int y = margin;
    for (Text line : block.lines) {
        int lineSize = TakeSizeMark(line, size);
        SelectObject(dc, BlockFont(dc, fontName, style, charset, lineSize));
        int x = margin + (rtl ? width - TextSize(dc, line).cx : 0);
        ExtTextOutA(dc, x, y, rtl ? ETO_RTLREADING : 0, nullptr, line.c_str(),
                    static_cast<UINT>(line.size()), nullptr);
        y += TextSize(dc, " ").cy;
    }
    SelectObject(dc, original);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
}

void FillVerticalGradient(HDC dc, Rgb top, Rgb bottom, int width, int rows) {
    for (int y = 0; y < rows; ++y) {
        Rgb c = GradientRow(top, bottom, rows, y);
        UniqueBrush brush(CreateSolidBrush(RGB(c.red, c.green, c.blue)));
        RECT row{0, y, width, y + 1};
        FillRect(dc, &row, brush.get());
    }
}

UniqueBitmap LoadPictureFile(const Text& path) {
    return UniqueBitmap(static_cast<HBITMAP>(
        LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
}

SIZE PictureSize(HBITMAP picture) {
    BITMAP b{};
    if (!picture || !GetObjectA(picture, sizeof b, &b)) return {0, 0};
    return {b.bmWidth, b.bmHeight};
}

UniqueBitmap PaintPicture(int width, int height, const std::function<void(HDC)>& paint) {
    HDC screen = GetDC(nullptr);
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen, width, height));
    HDC memory = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(memory, bitmap.get());
    paint(memory);
    SelectObject(memory, old);
    DeleteDC(memory);
    return bitmap;
}

void ShowPicture(HWND image, HBITMAP picture) {
    SendMessageA(image, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
}

} // namespace zk
