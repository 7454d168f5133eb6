#include "SMainText.h"

namespace zk {

int BackgroundColor(const Text& setting) {
    return StrToIntDef(setting, 0xFF0000);
}

TitleFont ParseTitleFont(const Text& row) {
    TitleFont f;
    f.name = ListItem(row, 0);
    f.size = StrToIntDef(ListItem(row, 1), 16);
    f.color = StrToIntDef(ListItem(row, 2), 0xFFFFFF);
    f.charset = StrToIntDef(ListItem(row, 3), 1);
    f.style = StrToIntDef(ListItem(row, 4), 0);
    return f;
}

int ScaledTitleSize(int size, int pixelsPerInch) {
    return pixelsPerInch > 0 ? size * 96 / pixelsPerInch : size;
}

int SecondTitleOffset(const Text& firstFontRow, const Text& secondFontRow) {
    return (ParseTitleFont(firstFontRow).size - ParseTitleFont(secondFontRow).size) / 7;
}

TitlePlace PlaceTitle(const TextExtent& text, const TextExtent* subtitle, int& y, int dx,
                      const Text& side, const Text& vertical, const TitleArea& area) {
    int width = text.width;
    int subAscent = 0;
    if (subtitle) {
        width += subtitle->width;
        subAscent = subtitle->ascent;
        if (text.ascent / 2 >= subAscent) subAscent -= 1;
    }
    int t = y == 0 ? 10 : y;
    y = t + text.height;
    int margin = 20;
    if (area.screenWidth < 1000) {
        margin = 16;
        t = t * 4 / 5;
    }
    TitlePlace p;
    if (TextEquals(side, "Right"))
        p.x = area.clientWidth - width - margin;
    else if (TextEquals(side, "Center"))
        p.x = (area.clientWidth - width - margin) / 2 - dx;
    else
        p.x = dx + margin;
    p.top = TextEquals(vertical, "Bottom") ? area.clientHeight - text.height - t : t;
    if (subtitle) {
        p.subX = p.x + text.width;
        p.subTop = p.top + text.ascent - subAscent;
    }
    return p;
}

namespace {

void AddTitle(std::vector<PlacedTitle>& placed, const TitleSetting& t, int& y, int dx,
              const Text& vertical, const MeasureTitle& measure, const TitleArea& area) {
    if (t.text.empty()) return;
    PlacedTitle p;
    p.font = ParseTitleFont(t.fontRow);
    p.subtitle = t.subtitle;
    p.text = t.subtitle.empty() ? t.text : t.text + " ";
    TextExtent text = measure(p.text, p.font, false);
    TextExtent sub;
    if (!p.subtitle.empty()) sub = measure(p.subtitle, p.font, true);
    p.place = PlaceTitle(text, p.subtitle.empty() ? nullptr : &sub, y, dx, t.side, vertical, area);
    placed.push_back(p);
}

} // namespace

std::vector<PlacedTitle> LayoutTitles(const TitleSetting& top, const TitleSetting& top2,
                                      const TitleSetting& bottom, const MeasureTitle& measure,
                                      const TitleArea& area) {
    std::vector<PlacedTitle> placed;
    int y = 0;
    AddTitle(placed, top, y, 0, "Top", measure, area);
    y += 2;
    AddTitle(placed, top2, y, SecondTitleOffset(top.fontRow, top2.fontRow), "Top", measure, area);
    y = 0;
    AddTitle(placed, bottom, y, 0, "Bottom", measure, area);
    return placed;
}

} // namespace zk
