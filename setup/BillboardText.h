// Pure half of the billboards: the settings row, the page list, the step machine of the slide
// show, the page kinds and the layout arithmetic. No windows.h: the window unit measures.
#pragma once
#include "Layout.h"

#include <vector>

namespace zk {

// The 19-item settings row of the billboard window. Flags are on only when exactly "1".
struct BillboardSettings {
    bool waitForEnd = false; // item 0: the copy-progress window waits for the slide show's end
    bool frame = false;
    bool autoSize = false;
    bool gradient = false;
    bool transparent = false;
    Text positionName;
    int dx = 0, dy = 0;
    int color1 = 0, color2 = 0xFF0000;
    Text fontName = "Arial";
    int fontSize = 14;
    int fontColor = 0xFFFFFF;
    int fontCharset = 1;
    int fontStyle = 0;
    int fixedWidth = 0, fixedHeight = 0;
    int margin = 0;
    int interval = 1; // half seconds per timer tick, at least 1
    bool operator==(const BillboardSettings&) const = default;
};
// Without gradient colour 2 is colour 1 (a solid fill).
BillboardSettings ParseBillboardSettings(const Text& row);

// An empty settings row is taken from the first line of the page files, which then is no page.
void TakeSettingsRow(Text& row, std::vector<Text>& pageFiles);

// A page file whose extension is ".txt" in any case is a text page; any other a picture.
bool IsTextPage(const Text& file);
// The page file as it is opened: only its file-name part in `exeDir` with program-folder names.
Text PageFilePath(const Text& file, bool programFolderNames, const Text& exeDir);
// The text page shown for a page file that cannot be read.
std::vector<Text> FileNotFoundPage();

// The slide show: a load step and a show step per page, one per timer tick, so each page
// stays for two ticks; after the last page one more pair of ticks, and the show ends with the
// last page still on screen.
enum class BillboardAction { None, Load, Show, End };
struct BillboardStep {
    BillboardAction action = BillboardAction::None;
    int page = -1;
    bool operator==(const BillboardStep&) const = default;
};
class BillboardSteps {
  public:
    explicit BillboardSteps(int pageCount) : pages_(pageCount) {}
    void Start() { active_ = true; }
    BillboardStep Step();
    // The timer's step: nothing while the exit question is on screen or once ended.
    BillboardStep Tick(bool exitQuestionShowing);
    bool Active() const { return active_; }
    void Stop() { active_ = false; }

  private:
    int pages_;
    int index_ = 0;
    bool loadPhase_ = true;
    bool active_ = false;
};

// Where the content of a page goes: client size, picture place, Close button place.
struct BillboardLayout {
    int clientWidth = 0, clientHeight = 0;
    int pictureLeft = 0, pictureTop = 0;
    int buttonLeft = 0, buttonTop = 0;
    bool operator==(const BillboardLayout&) const = default;
};
struct Size2 {
    int width = 0, height = 0;
};
BillboardLayout LayoutBillboardPage(const BillboardSettings& s, bool picturePage, Size2 picture,
                                    Size2 button);
// The window's outer box in the work area: placed by the position name and the offsets; its
// size is the content's client size plus the frame.
Box PlaceBillboardWindow(const BillboardSettings& s, const Box& workArea, Size2 outer);

} // namespace zk
