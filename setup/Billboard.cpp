#include "Billboard.h"
#include "ControlIds.h"
#include "Files.h"
#include "Forms.h"
#include "Global.h"
#include "SysLibs.h"
#include "Grafics.h"
#include "UtilPlus.h"

#include <memory>
#include <utility>

namespace zk {

namespace {

constexpr UINT_PTR Timer1 = 1;
// The layout of the page just loaded, posted by the show step: it runs on a later pass of the
// message loop, and a post to a window already destroyed is dropped with it.
constexpr UINT WmLayoutBillboard = WM_APP + 1;
constexpr int ButtonWidth = 41, ButtonHeight = 19;

Rgb RgbOf(int color) {
    COLORREF c = static_cast<COLORREF>(color);
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

std::vector<Text> SplitLines(const Text& text) {
    std::vector<Text> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        Text line = text.substr(start, end == Text::npos ? Text::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        if (end == Text::npos) break;
        start = end + 1;
    }
    return lines;
}

bool FileExists(const Text& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

Box WorkArea() {
    RECT r{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

class TBillboardForm : public TForm {
  public:
    TBillboardForm(const Text& settingsRow, std::vector<Text> pageFiles, bool programFolderNames,
                   bool closeButton, std::function<bool()> isExitDialogShowing);
    bool CreateBillboard(HWND owner);
    void ShowBillboardWindow();
    bool Active() const { return steps_.Active(); }
    void SetActive(bool active);
    void ShowCloseButton() { ShowWindow(Button1, SW_SHOW); }

    void Timer1Timer();
    void Button1Click();

    HWND Image1 = nullptr, Button1 = nullptr;

  protected:
    void FormCreate() override;
    void Timer(UINT_PTR id) override;
    void Command(int id, int code, HWND control) override;
    bool FormPaint(HDC dc, const RECT& client) override;
    bool Message(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

  private:
    void BillboardStep();
    void RunStep(const zk::BillboardStep& step);
    void LoadBillboardItem(const Text& file);
    void LayoutBillboard();
    void ShowLoadedPicture(const BillboardLayout& layout);
    UniqueBitmap ComposeTransparent(HBITMAP picture, const BillboardLayout& layout) const;

    BillboardSettings settings_;
    std::vector<Text> pageFiles_;
    bool programFolderNames_;
    bool closeButton_;
    std::function<bool()> isExitDialogShowing_;
    BillboardSteps steps_;
    Text fontName_;
    TextBlock shownText_;
    std::vector<Text> loadedText_;
    UniqueBitmap loadedPicture_, shownPicture_;
    bool loadedIsPicture_ = false;
};

const ControlDef<TBillboardForm> Controls[] = {
    {&TBillboardForm::Image1, ids::BillboardImage, "STATIC", "", 0, 0, 0, 0, SS_BITMAP, 0, 0, true},
    {&TBillboardForm::Button1, ids::BillboardCloseButton, "BUTTON", "Close", 1, 1, ButtonWidth,
     ButtonHeight, BS_PUSHBUTTON | BS_FLAT, 0, 0, true},
};
const CommandRoute<TBillboardForm> Commands[] = {
    {ids::BillboardCloseButton, BN_CLICKED, &TBillboardForm::Button1Click},
};
const TimerRoute<TBillboardForm> Timers[] = {{Timer1, &TBillboardForm::Timer1Timer}};

std::unique_ptr<TBillboardForm> current;

TBillboardForm::TBillboardForm(const Text& settingsRow, std::vector<Text> pageFiles,
                               bool programFolderNames, bool closeButton,
                               std::function<bool()> isExitDialogShowing)
    : programFolderNames_(programFolderNames), closeButton_(closeButton),
      isExitDialogShowing_(std::move(isExitDialogShowing)), steps_(0) {
    Text row = settingsRow;
    TakeSettingsRow(row, pageFiles);
    settings_ = ParseBillboardSettings(row);
    pageFiles_ = std::move(pageFiles);
    steps_ = BillboardSteps(static_cast<int>(pageFiles_.size()));
    fontName_ = InstalledFontOr(settings_.fontName, "Arial");
}

bool TBillboardForm::CreateBillboard(HWND owner) {
    const DWORD style = WS_POPUP | WS_CLIPCHILDREN;
    const DWORD exStyle = settings_.frame ? WS_EX_DLGMODALFRAME : 0;
    RECT r{0, 0, GreaterInt(1, settings_.fixedWidth), GreaterInt(1, settings_.fixedHeight)};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    int width = r.right - r.left, height = r.bottom - r.top;
    // Out of sight until the first page is laid out.
    return Create({ids::BillboardClass, CS_HREDRAW | CS_VREDRAW, -1}, owner, "Billboard", style,
                  exStyle, -width - 5, -height - 5, width, height);
}

void TBillboardForm::FormCreate() {
    SetFormFont(SharedFont({}));
    CreateControls(*this, Controls);
    ChangeControlFont(Button1, [](FontDesc& f) { f.weight = FW_BOLD; });
    if (closeButton_) ShowWindow(Button1, SW_SHOW);
}

void TBillboardForm::ShowBillboardWindow() {
    ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    steps_.Start();
    BillboardStep();
    BillboardStep();
}

void TBillboardForm::SetActive(bool active) {
    if (active) return steps_.Start();
    steps_.Stop();
    StopTimer(Timer1);
}

void TBillboardForm::Timer(UINT_PTR id) {
    Route(*this, Timers, id);
}

void TBillboardForm::Command(int id, int code, HWND) {
    Route(*this, Commands, id, code);
}

void TBillboardForm::Timer1Timer() {
    zk::BillboardStep step = steps_.Tick(isExitDialogShowing_ && isExitDialogShowing_());
    if (step.action == BillboardAction::None) return;
    RunStep(step);
}

void TBillboardForm::Button1Click() {
    SetActive(false);
    Close();
}

void TBillboardForm::BillboardStep() {
    RunStep(steps_.Step());
}

// Each step restarts the timer, so the interval counts from the step.
void TBillboardForm::RunStep(const zk::BillboardStep& step) {
    switch (step.action) {
    case BillboardAction::Load:
        LoadBillboardItem(pageFiles_[static_cast<size_t>(step.page)]);
        break;
    case BillboardAction::Show:
        PostMessageA(Handle(), WmLayoutBillboard, 0, 0);
        break;
    case BillboardAction::End:
        StopTimer(Timer1);
        return;
    case BillboardAction::None:
        break;
    }
    StartTimer(Timer1, static_cast<UINT>(settings_.interval) * 500);
}

void TBillboardForm::LoadBillboardItem(const Text& file) {
    Text path = PageFilePath(file, programFolderNames_, GetExeDir(true));
    loadedText_.clear();
    loadedPicture_.reset();
    loadedIsPicture_ = false;
    if (FileExists(path)) {
        if (IsTextPage(path)) {
            loadedText_ = SplitLines(LoadFile(path));
            return;
        }
        loadedPicture_ = LoadAnyPictureFile(path);
        if (loadedPicture_) {
            loadedIsPicture_ = true;
            return;
        }
    }
    loadedText_ = FileNotFoundPage();
}

void TBillboardForm::LayoutBillboard() {
    SIZE picture = loadedIsPicture_ ? PictureSize(loadedPicture_.get()) : SIZE{0, 0};
    BillboardLayout layout = LayoutBillboardPage(
        settings_, loadedIsPicture_, {picture.cx, picture.cy}, {ButtonWidth, ButtonHeight});
    RECT oldClient{};
    GetClientRect(Handle(), &oldClient);
    RECT r{0, 0, layout.clientWidth, layout.clientHeight};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongA(Handle(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(Handle(), GWL_EXSTYLE)));
    Box placed = PlaceBillboardWindow(settings_, WorkArea(), {r.right - r.left, r.bottom - r.top});
    SetWindowPos(Handle(), nullptr, placed.left, placed.top, placed.width, placed.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (loadedIsPicture_) {
        shownText_ = {};
        ShowLoadedPicture(layout);
    } else {
        // As loaded: each paint draws a copy, which gives up the charset line (and is wrapped).
        shownText_ = {std::exchange(loadedText_, {}), false};
        ShowWindow(Image1, SW_HIDE);
    }
    SetWindowPos(Button1, nullptr, layout.buttonLeft, layout.buttonTop, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(Handle(), nullptr, FALSE);
    UpdateWindow(Handle());
}

void TBillboardForm::ShowLoadedPicture(const BillboardLayout& layout) {
    UniqueBitmap picture = std::move(loadedPicture_);
    if (settings_.transparent) picture = ComposeTransparent(picture.get(), layout);
    ShowPicture(Image1, picture.get());
    shownPicture_ = std::move(picture); // kept while the control shows it
    SetWindowPos(Image1, nullptr, layout.pictureLeft, layout.pictureTop, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(Image1, SW_SHOW);
}

// A static control draws no transparency: the picture is drawn over the part of the gradient
// it covers, its bottom-left pixel's colour left out.
UniqueBitmap TBillboardForm::ComposeTransparent(HBITMAP picture,
                                                const BillboardLayout& layout) const {
    SIZE size = PictureSize(picture);
    return PaintPicture(size.cx, size.cy, [&](HDC dc) {
        for (int y = 0; y < size.cy; ++y) {
            Rgb c = GradientRow(RgbOf(settings_.color1), RgbOf(settings_.color2),
                                layout.clientHeight, layout.pictureTop + y);
            UniqueBrush brush(CreateSolidBrush(RGB(c.red, c.green, c.blue)));
            RECT row{0, y, size.cx, y + 1};
            FillRect(dc, &row, brush.get());
        }
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, picture);
        COLORREF key = GetPixel(source, 0, size.cy - 1);
        sys::TransparentBlt(dc, 0, 0, size.cx, size.cy, source, 0, 0, size.cx, size.cy, key);
        SelectObject(source, old);
        DeleteDC(source);
    });
}

// Drawn off screen and copied whole, so a page change does not flicker.
bool TBillboardForm::FormPaint(HDC dc, const RECT& client) {
    int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0) return true;
    UniqueBitmap frame = PaintPicture(width, height, [&](HDC memory) {
        FillVerticalGradient(memory, RgbOf(settings_.color1), RgbOf(settings_.color2), width,
                             height);
        if (!shownText_.lines.empty()) {
            TextBlock page = shownText_;
            DrawTextBlock(memory, fontName_, settings_.fontStyle, page, settings_.margin, width,
                          settings_.fontCharset, static_cast<COLORREF>(settings_.fontColor),
                          settings_.fontSize);
        }
    });
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, frame.get());
    BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    return true;
}

bool TBillboardForm::Message(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg == WM_ERASEBKGND) return result = 1, true;
    if (msg == WmLayoutBillboard) return LayoutBillboard(), result = 0, true;
    return false;
}

} // namespace

void ShowBillboard(HWND owner, const Text& settingsRow, const std::vector<Text>& pageFiles,
                   bool programFolderNames, bool closeButton,
                   std::function<bool()> isExitDialogShowing) {
    FreeBillboard();
    auto form = std::make_unique<TBillboardForm>(settingsRow, pageFiles, programFolderNames,
                                                 closeButton, std::move(isExitDialogShowing));
    if (!form->CreateBillboard(owner)) return;
    current = std::move(form);
    current->ShowBillboardWindow();
}

void FreeBillboard() {
    current.reset();
}

void WaitForBillboardEnd() {
    if (!current) return;
    if (current->Exists()) current->ShowCloseButton();
    PumpScope wait; // ends with the run's stop too: an exit does not sit out the slide show
    while (current && current->Exists() && current->Active() && wait.Wait(100)) {
    }
}

bool IsBillboardActive() {
    return current && current->Exists() && current->Active();
}

void SetBillboardActive(bool active) {
    if (current) current->SetActive(active);
}

HWND BillboardWindow() {
    return current ? current->Handle() : nullptr;
}

} // namespace zk
