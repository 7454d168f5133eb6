#include "BillboardText.h"

namespace zk {

namespace {

bool IsOn(const Text& row, int item) {
    return ListItem(row, item) == "1";
}

int Number(const Text& row, int item, int def) {
    return StrToIntDef(ListItem(row, item), def);
}

Text FileNamePart(const Text& path) {
    size_t slash = LastCharOf(path, "\\/:");
    return slash == Text::npos ? path : path.substr(slash + 1);
}

} // namespace

BillboardSettings ParseBillboardSettings(const Text& row) {
    BillboardSettings s;
    s.waitForEnd = IsOn(row, 0);
    s.frame = IsOn(row, 1);
    s.autoSize = IsOn(row, 2);
    s.gradient = IsOn(row, 3);
    s.transparent = IsOn(row, 4);
    s.positionName = ListItem(row, 5);
    s.dx = Number(row, 6, 0);
    s.dy = Number(row, 7, 0);
    s.color1 = Number(row, 8, 0);
    s.color2 = s.gradient ? Number(row, 9, 0xFF0000) : s.color1;
    if (Text font = ListItem(row, 10); !font.empty()) s.fontName = font;
    s.fontSize = Number(row, 11, 14);
    s.fontColor = Number(row, 12, 0xFFFFFF);
    s.fontCharset = Number(row, 13, 1);
    s.fontStyle = Number(row, 14, 0);
    s.fixedWidth = Number(row, 15, 0);
    s.fixedHeight = Number(row, 16, 0);
    s.margin = Number(row, 17, 0);
    // A tick of 0 or less would step the show as fast as the timer can fire.
    s.interval = GreaterInt(1, Number(row, 18, 1));
    return s;
}

void TakeSettingsRow(Text& row, std::vector<Text>& pageFiles) {
    if (!row.empty() || pageFiles.empty()) return;
    row = pageFiles.front();
    pageFiles.erase(pageFiles.begin());
}

bool IsTextPage(const Text& file) {
    Text name = FileNamePart(file);
    size_t dot = name.rfind('.');
    return dot != Text::npos && TextEquals(name.substr(dot), ".txt");
}

Text PageFilePath(const Text& file, bool programFolderNames, const Text& exeDir) {
    if (!programFolderNames) return file;
    Text dir = exeDir;
    if (!dir.empty() && !EndsWithChar(dir, '\\')) dir += '\\';
    return dir + FileNamePart(file);
}

std::vector<Text> FileNotFoundPage() {
    return {"", "    File Not Found!"};
}

BillboardStep BillboardSteps::Step() {
    if (loadPhase_) {
        loadPhase_ = false;
        if (index_ < pages_) return {BillboardAction::Load, index_};
        return {};
    }
    loadPhase_ = true;
    int page = index_++;
    if (page < pages_) return {BillboardAction::Show, page};
    active_ = false;
    return {BillboardAction::End, -1};
}

BillboardStep BillboardSteps::Tick(bool exitQuestionShowing) {
    if (!active_ || exitQuestionShowing) return {};
    return Step();
}

BillboardLayout LayoutBillboardPage(const BillboardSettings& s, bool picturePage, Size2 picture,
                                    Size2 button) {
    BillboardLayout l;
    if (s.autoSize && picturePage) {
        l.clientWidth = picture.width + 2 * s.margin;
        l.clientHeight = picture.height + 2 * s.margin;
        l.pictureLeft = s.margin;
        l.pictureTop = s.margin;
    } else {
        l.clientWidth = s.fixedWidth;
        l.clientHeight = s.fixedHeight;
        l.pictureLeft = (s.fixedWidth - picture.width) / 2;
        l.pictureTop = (s.fixedHeight - picture.height) / 2;
    }
    l.buttonLeft = GreaterInt(0, l.clientWidth - button.width - 8);
    l.buttonTop = GreaterInt(0, l.clientHeight - button.height - 8);
    return l;
}

Box PlaceBillboardWindow(const BillboardSettings& s, const Box& workArea, Size2 outer) {
    PlaceArea area{workArea.height - outer.height, 0, workArea.top + s.dy, workArea.left + s.dx,
                   workArea.width - outer.width};
    Box placed = PlaceBox(PositionIndex(s.positionName), {0, 0, outer.width, outer.height}, area);
    return {placed.left, placed.top, outer.width, outer.height};
}

} // namespace zk
