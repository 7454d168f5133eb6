#include "Grafics.h"
#include "Ctrls.h"
#include "MsgMarkup.h"

#include <ole2.h>
#include <olectl.h>

#include <string>

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

UniqueBitmap LoadAnyPictureFile(const Text& path) {
    if (path.empty() || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return {};
    HRESULT com = CoInitialize(nullptr);
    std::wstring wide(
        static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    IPicture* picture = nullptr;
    UniqueBitmap result;
    if (SUCCEEDED(OleLoadPicturePath(wide.data(), nullptr, 0, 0, IID_IPicture,
                                     reinterpret_cast<void**>(&picture))) &&
        picture) {
        OLE_XSIZE_HIMETRIC himetricWidth = 0;
        OLE_YSIZE_HIMETRIC himetricHeight = 0;
        picture->get_Width(&himetricWidth);
        picture->get_Height(&himetricHeight);
        HDC screen = GetDC(nullptr);
        int width = MulDiv(himetricWidth, GetDeviceCaps(screen, LOGPIXELSX), 2540);
        int height = MulDiv(himetricHeight, GetDeviceCaps(screen, LOGPIXELSY), 2540);
        ReleaseDC(nullptr, screen);
        if (width > 0 && height > 0)
            result = PaintPicture(width, height, [&](HDC dc) {
                RECT all{0, 0, width, height};
                FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
                // The picture's own coordinates run bottom-up.
                picture->Render(dc, 0, 0, width, height, 0, himetricHeight, himetricWidth,
                                -himetricHeight, nullptr);
            });
        picture->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return result;
}

namespace {
int CALLBACK NoteFontFound(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}
} // namespace

Text InstalledFontOr(const Text& face, const Text& fallback) {
    if (face.empty() || face.size() >= LF_FACESIZE) return fallback;
    LOGFONTA wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(wanted.lfFaceName, face.c_str(), LF_FACESIZE);
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExA(screen, &wanted, NoteFontFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found ? face : fallback;
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
