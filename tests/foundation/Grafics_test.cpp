// Drawing on a memory bitmap: where a text block's lines land, the gradient rows, pictures.
#include "Grafics.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

using namespace zk;

namespace {

constexpr COLORREF White = RGB(255, 255, 255), Ink = RGB(0, 0, 0);

// A white 32-bit memory surface whose pixels can be read back.
class Surface {
  public:
    Surface(int width, int height) : width_(width), height_(height) {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        bitmap_ = CreateBitmap(width, height, 1, 32, nullptr);
        old_ = SelectObject(dc_, bitmap_);
        RECT all{0, 0, width, height};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~Surface() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
    // Bounds of the pixels that are not white: {left, top, right, bottom}, right/bottom
    // inclusive; all -1 when nothing was drawn.
    RECT Inked() const {
        RECT r{-1, -1, -1, -1};
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                if (At(x, y) == White) continue;
                if (r.left < 0 || x < r.left) r.left = x;
                if (r.top < 0) r.top = y;
                r.right = std::max<LONG>(r.right, x);
                r.bottom = y;
            }
        return r;
    }

  private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

RECT Draw(TextBlock block, int charset, int areaWidth = 300) {
    Surface s(areaWidth, 200);
    DrawTextBlock(s.dc(), "Tahoma", 0, block, 10, areaWidth, charset, Ink, 10);
    return s.Inked();
}

} // namespace

TEST(Grafics, TextBlockSidesAndSizes) {
    RECT ltr = Draw({{"short line"}}, 0);
    ASSERT_GE(ltr.left, 0) << "something is drawn";
    EXPECT_LE(ltr.left, 12) << "left-aligned from the margin";
    EXPECT_LT(ltr.right, 150);
    EXPECT_GE(ltr.top, 10);
    // A charset line switches to right-to-left: the text ends at the right margin.
    RECT rtl = Draw({{"|177|", "short line"}}, 0);
    EXPECT_GT(rtl.left, 150);
    EXPECT_GE(rtl.right, 280);
    EXPECT_LE(rtl.right, 290);
    EXPECT_EQ(rtl.top, ltr.top) << "the charset line itself is not drawn";
    EXPECT_GT(Draw({{"short line"}}, 178).left, 150) << "the caller's charset too";
    // "~" doubles the size; the mark is not drawn.
    RECT big = Draw({{"~short line"}}, 0);
    EXPECT_GT(big.bottom - big.top, 3 * (ltr.bottom - ltr.top) / 2);
    // Wrapping to 300 - 2 x 10 gives more lines, each one line height lower.
    RECT wrapped = Draw({{"word word word word word word word word word word word word"}}, 0);
    EXPECT_GT(wrapped.bottom - wrapped.top, 2 * (ltr.bottom - ltr.top));
    EXPECT_LE(wrapped.right, 290);
}

TEST(Grafics, EmptyTextBlockDrawsNothing) {
    EXPECT_EQ(Draw({}, 0).left, -1);
    EXPECT_EQ(Draw({{"|177|"}}, 0).left, -1) << "only a charset line";
}

TEST(Grafics, TextBlockWrapsOnce) {
    TextBlock block{{"aaa bbb ccc ddd eee fff ggg hhh iii jjj kkk lll mmm"}, false};
    Surface s(120, 400);
    DrawTextBlock(s.dc(), "Tahoma", StyleBold, block, 5, 120, 0, Ink, 9);
    ASSERT_TRUE(block.wrapped);
    size_t lines = block.lines.size();
    EXPECT_GT(lines, 2u);
    DrawTextBlock(s.dc(), "Tahoma", StyleBold, block, 5, 600, 0, Ink, 9);
    EXPECT_EQ(block.lines.size(), lines) << "a wider area does not wrap it again";
}

TEST(Grafics, VerticalGradientRows) {
    Surface s(8, 6);
    FillVerticalGradient(s.dc(), {0, 200, 100}, {100, 0, 100}, 5, 4);
    struct Row {
        int y;
        COLORREF color;
    } rows[] = {{0, RGB(0, 200, 100)},
                {1, RGB(25, 150, 100)},
                {2, RGB(50, 100, 100)},
                {3, RGB(75, 50, 100)}};
    for (const Row& r : rows) {
        EXPECT_EQ(s.At(0, r.y), r.color) << r.y;
        EXPECT_EQ(s.At(4, r.y), r.color) << r.y;
        EXPECT_EQ(s.At(5, r.y), White) << "width 5 ends at x 4";
    }
    EXPECT_EQ(s.At(0, 4), White) << "rows 0 to 3 only";
    FillVerticalGradient(s.dc(), {1, 2, 3}, {4, 5, 6}, 5, 0);
    EXPECT_EQ(s.At(0, 5), White);
}

TEST(Grafics, PicturesFromFilesAndPainting) {
    // A 2 x 1 24-bit bitmap file: blue, then red.
    std::string bmp = std::string("BM") + std::string("\x3e\0\0\0\0\0\0\0\x36\0\0\0", 12) +
                      std::string("\x28\0\0\0\x02\0\0\0\x01\0\0\0\x01\0\x18\0", 16) +
                      std::string(24, '\0') + std::string("\xff\0\0\0\0\xff\0\0", 8);
    std::string dir = zktest::ScratchDir("grafics_picture");
    ASSERT_TRUE(zktest::WriteBytes(dir + "\\two.bmp", bmp));
    UniqueBitmap picture = LoadPictureFile(dir + "\\two.bmp");
    ASSERT_TRUE(picture);
    SIZE size = PictureSize(picture.get());
    EXPECT_EQ(size.cx, 2);
    EXPECT_EQ(size.cy, 1);
    EXPECT_FALSE(LoadPictureFile(dir + "\\missing.bmp"));
    EXPECT_EQ(PictureSize(nullptr).cx, 0);

    UniqueBitmap painted = PaintPicture(3, 2, [](HDC dc) { SetPixel(dc, 2, 1, RGB(9, 8, 7)); });
    ASSERT_TRUE(painted);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, painted.get());
    EXPECT_EQ(GetPixel(dc, 2, 1), RGB(9, 8, 7));
    SelectObject(dc, old);
    DeleteDC(dc);
    zktest::RemoveScratch(dir);
}
