// The wizard's layout geometry.
#include "SLayout.h"

#include <gtest/gtest.h>

using namespace zk;

TEST(SLayout, PageAreas) {
    EXPECT_EQ(ClassicPageArea(WizardClientWidth), (Box{141, 6, 370, 275}));
    EXPECT_EQ(ModernHeaderPageArea(WizardClientWidth), (Box{50, 60, 415, 241}));
    EXPECT_EQ(BigPicturePageArea(WizardClientWidth, 120), (Box{120, 0, 395, 307}));
    EXPECT_EQ(TabControlBox({141, 6, 370, 275}), (Box{-4, -4, 378, 303}));
}

TEST(SLayout, BigPicturePanelIsClampedAndThePictureCentred) {
    struct Case {
        int image, panel;
    } cases[] = {{0, 120}, {100, 120}, {119, 120}, {140, 141}, {159, 160}, {300, 160}};
    for (const Case& c : cases) EXPECT_EQ(BigPicturePanelWidth(c.image), c.panel) << c.image;
    EXPECT_EQ(CenteredImage(120, 307, 100, 300), (Box{10, 3, 100, 300}));
    EXPECT_EQ(CenteredImage(160, 307, 300, 400), (Box{0, 0, 300, 400})) << "never left of 0";
    EXPECT_EQ(CenteredImage(120, 307, 99, 306), (Box{10, 0, 99, 306})) << "halves truncate";
}

TEST(SLayout, HeaderIconRightAlignedWithItsVerticalMargin) {
    EXPECT_EQ(HeaderImage(515, 48, 48), (Box{462, 5, 48, 48}));
    EXPECT_EQ(HeaderImage(515, 60, 70), (Box{461, 0, 60, 70})) << "taller: the margin is negative";
}

TEST(SLayout, SheetControlsFollowThePageArea) {
    const Box classic = ClassicPageArea(515), header = ModernHeaderPageArea(515);
    EXPECT_EQ(SheetControlBox({90, 94, 180, 21}, classic, false), (Box{231, 100, 180, 21}));
    EXPECT_EQ(SheetControlBox({8, 8, 354, 100}, classic, true), (Box{149, 14, 354, 100}));
    // The lower modern page squeezes tops and tall controls, the wider one stretches blocks.
    EXPECT_EQ(SheetControlBox({8, 211, 350, 54}, header, false), (Box{58, 60 + 184, 350, 47}));
    EXPECT_EQ(SheetControlBox({90, 94, 180, 21}, header, false), (Box{140, 60 + 82, 180, 21}));
    EXPECT_EQ(SheetControlBox({8, 8, 354, 50}, header, true), (Box{58, 67, 399, 43}));
    const Box bottom = SheetControlBox({8, 247, 350, 21}, header, false);
    EXPECT_LE(bottom.top + bottom.height, header.top + header.height) << "nothing leaves the page";
}
