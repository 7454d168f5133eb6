#include "Layout.h"

#include <algorithm>
#include <utility>

namespace zk {

int PositionIndex(const Text& name) {
    int i = ListIndexOf(UpperCase(PositionNames), UpperCase(name));
    return i < 0 ? PosCenter : i;
}

Box PlaceBox(int index, Box c, const PlaceArea& a) {
    enum Align { Near, Middle, Far };
    struct Rule {
        Align column, row;
    };
    static const Rule rules[] = {
        {Middle, Middle}, {Near, Near},  {Far, Near},    {Near, Far},   {Far, Far},
        {Middle, Near},   {Middle, Far}, {Near, Middle}, {Far, Middle},
    };
    if (index == PosEntireScreen) {
        c.width = a.freeWidth + c.width - 2 * a.left;
        c.height = a.freeHeight + c.height - 2 * a.top;
        c.left = a.left;
        c.top = a.top;
        return c;
    }
    if (index == PosHide) return {5 - c.width, 5 - c.height, c.width, c.height};
    const Rule& r = rules[index >= 0 && index < PosEntireScreen ? index : PosCenter];
    auto align = [&](Align how, int start, int free) {
        return how == Near     ? start + a.margin
               : how == Middle ? start + free / 2
                               : start + free - a.margin;
    };
    c.left = align(r.column, a.left, a.freeWidth);
    c.top = align(r.row, a.top, a.freeHeight);
    return c;
}

Box WidenTowards(Box box, int needed, int limit, bool growLeft) {
    const int room = growLeft ? box.left - limit : limit - (box.left + box.width);
    const int by = std::clamp(needed - box.width, 0, std::max(0, room));
    if (growLeft) box.left -= by;
    box.width += by;
    return box;
}

std::vector<Box> FitButtonRow(const std::vector<Box>& design, const std::vector<int>& needed,
                              int leftLimit) {
    const size_t n = design.size();
    std::vector<int> extra(n);
    for (size_t i = 0; i < n; ++i)
        extra[i] = std::max(0, (i < needed.size() ? needed[i] : 0) - design[i].width);
    if (n == 0) return {};
    int room = std::max(0, design[0].left - leftLimit);
    for (size_t i = n; i-- > 0;) { // the rightmost buttons keep their widening first
        extra[i] = std::min(extra[i], room);
        room -= extra[i];
    }
    std::vector<Box> row(design);
    int right = design[n - 1].left + design[n - 1].width;
    for (size_t i = n; i-- > 0;) {
        row[i].width = design[i].width + extra[i];
        row[i].left = right - row[i].width;
        if (i > 0)
            right = row[i].left - (design[i].left - (design[i - 1].left + design[i - 1].width));
    }
    return row;
}

std::vector<int> StackRows(const std::vector<int>& designTops, const std::vector<int>& heights,
                           int gap) {
    std::vector<int> tops(designTops);
    for (size_t i = 1; i < tops.size() && i - 1 < heights.size(); ++i)
        tops[i] = std::max(designTops[i], tops[i - 1] + heights[i - 1] + gap);
    return tops;
}

Text TakeWrappedLine(Text& text, int width, const std::function<int(const Text&)>& measure) {
    size_t blank = text.find(' ');
    if (blank == Text::npos) return std::exchange(text, Text());
    Text line = text.substr(0, blank + 1);
    text.erase(0, blank + 1);
    int used = measure(line);
    while (!text.empty() && used <= width) {
        blank = text.find(' ');
        Text word = text.substr(0, blank);
        if (width < measure(word) + used) break;
        line += text.substr(0, blank == Text::npos ? Text::npos : blank + 1);
        text.erase(0, blank == Text::npos ? Text::npos : blank + 1);
        used = measure(line);
    }
    return line;
}

void WrapLinesToWidth(TextBlock& block, int width, int size, const MeasureText& measure) {
    if (block.wrapped) return;
    std::vector<Text> source;
    source.swap(block.lines);
    for (Text& line : source) {
        int lineSize = size;
        Text prefix;
        if (size_t tilde = line.find('~'); tilde != Text::npos) {
            line.erase(tilde, 1);
            lineSize = 2 * size;
            prefix = "~";
        }
        auto measureLine = [&](const Text& t) { return measure(t, lineSize); };
        do block.lines.push_back(prefix + TakeWrappedLine(line, width, measureLine));
        while (!line.empty());
    }
    block.wrapped = true;
}

bool TakeCharsetLine(std::vector<Text>& lines, int& charset) {
    if (lines.empty()) return false;
    // A list ends with its delimiter: a text such as "2024 News" is none (read as one, its
    // item 0 would be "0").
    const Text& line = lines.front();
    if (line.size() < 2 || line.back() != line.front()) return false;
    Text first = ListItem(line, 0);
    if (first.empty() || first.size() > 3 || first.find_first_not_of("0123456789") != Text::npos)
        return false;
    int value = StrToIntDef(first, -1);
    if (value < 0 || value > 255) return false;
    lines.erase(lines.begin());
    charset = value;
    return true;
}

Rgb GradientRow(Rgb a, Rgb b, int rows, int y) {
    if (rows <= 0) return a;
    auto channel = [&](int from, int to) {
        double step = static_cast<double>(to - from) / rows;
        return from + static_cast<int>(step * y);
    };
    return {channel(a.red, b.red), channel(a.green, b.green), channel(a.blue, b.blue)};
}

} // namespace zk
