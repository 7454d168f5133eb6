#include "SLayout.h"

#include <algorithm>

namespace zk {

namespace {

constexpr int kTallControl = 30; // controls at least this high shrink with a lower page area

} // namespace

Box ClassicPageArea(int clientWidth) {
    return {clientWidth - 374, 6, 370, 275};
}

int BigPicturePanelWidth(int imageWidth) {
    return std::clamp(imageWidth + 1, 120, 160);
}

Box BigPicturePageArea(int clientWidth, int panelWidth) {
    return {panelWidth, 0, clientWidth - panelWidth, Bevel1Top};
}

Box ModernHeaderPageArea(int clientWidth) {
    const int top = HeaderHeight + Bevel2Height;
    return {50, top, clientWidth - 100, Bevel1Top - top - 6};
}

Box CenteredImage(int panelWidth, int panelHeight, int imageWidth, int imageHeight) {
    return {std::max(0, (panelWidth - imageWidth) / 2),
            std::max(0, (panelHeight - imageHeight) / 2), imageWidth, imageHeight};
}

Box HeaderImage(int clientWidth, int imageWidth, int imageHeight) {
    const int margin = (HeaderHeight - imageHeight) / 2;
    return {std::max(0, clientWidth - imageWidth - margin), std::max(0, margin), imageWidth,
            imageHeight};
}

Box TabControlBox(const Box& area) {
    return {-4, -4, area.width + 8, area.height + 28};
}

Box SheetControlBox(const Box& design, const Box& area, bool stretch) {
    Box box = design;
    if (area.height < SheetDesignHeight) {
        box.top = design.top * area.height / SheetDesignHeight;
        if (design.height >= kTallControl)
            box.height = design.height * area.height / SheetDesignHeight;
    }
    if (stretch) box.width = std::max(0, design.width + area.width - SheetDesignWidth);
    box.left += area.left;
    box.top += area.top;
    return box;
}

} // namespace zk
