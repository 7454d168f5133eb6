// The window layer in one process: control tables into named members, routed handlers, modal
// loops that keep WM_QUIT and stack, placement and charset of controls.
#include "Forms.h"

#include <gtest/gtest.h>

#include <vector>

using namespace zk;

namespace {

constexpr int IdOk = 3001, IdName = 3002, IdOnPage2 = 3003;
constexpr UINT_PTR StartupTimer = 1, EndTimer = 2;

// A form written the way the program's forms are.
class TTestForm : public TForm {
  public:
    HWND OkButton = nullptr;
    HWND NameEdit = nullptr;
    HWND Page2Label = nullptr;
    std::vector<std::string> events;
    int endWith = 0;
    UINT endAfterMs = 0;
    TTestForm* inner = nullptr; // opened modally from the start-up timer

    bool Make(HWND owner = nullptr) {
        return Create({"ZkTestForm"}, owner, "Test form", WS_OVERLAPPEDWINDOW, 0, 10, 10, 300, 200);
    }
    void OkButtonClick() { events.push_back("OkButtonClick"); }
    void NameEditChange() { events.push_back("NameEditChange"); }
    void StartupTimerTimer() {
        StopTimer(StartupTimer);
        events.push_back("StartupTimerTimer");
        if (inner && inner->Make(Handle())) {
            events.push_back("inner " + std::to_string(inner->ShowModal()));
            StartTimer(EndTimer, 10); // the outer goes on once the inner is done
        }
    }
    void EndTimerTimer() {
        StopTimer(EndTimer);
        if (endWith < 0)
            PostQuitMessage(7);
        else
            EndModal(endWith);
    }

  protected:
    void FormCreate() override {
        static const ControlDef<TTestForm> controls[] = {
            {&TTestForm::OkButton, IdOk, "Button", "OK", 10, 10, 75, 23, BS_PUSHBUTTON},
            {&TTestForm::NameEdit, IdName, "Edit", "", 10, 40, 120, 21, ES_AUTOHSCROLL,
             WS_EX_CLIENTEDGE},
            {&TTestForm::Page2Label, IdOnPage2, "Static", "page 2", 10, 70, 120, 16, 0, 0, 2},
        };
        CreateControls(*this, controls);
        if (endAfterMs) StartTimer(EndTimer, endAfterMs);
        events.push_back("FormCreate");
    }
    void Command(int id, int code, HWND) override {
        static const CommandRoute<TTestForm> routes[] = {
            {IdOk, BN_CLICKED, &TTestForm::OkButtonClick},
            {IdName, EN_CHANGE, &TTestForm::NameEditChange},
        };
        Route(*this, routes, id, code);
    }
    void Timer(UINT_PTR id) override {
        static const TimerRoute<TTestForm> routes[] = {
            {StartupTimer, &TTestForm::StartupTimerTimer},
            {EndTimer, &TTestForm::EndTimerTimer},
        };
        Route(*this, routes, id);
    }
    void FormDestroy() override { events.push_back("FormDestroy"); }
};

bool QuitPending(int& code) {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
    code = static_cast<int>(msg.wParam);
    return true;
}

} // namespace

TEST(Forms, ControlTableFillsNamedMembersAndRoutesEvents) {
    TTestForm form;
    ASSERT_TRUE(form.Make());
    ASSERT_TRUE(form.OkButton && form.NameEdit && form.Page2Label);
    EXPECT_EQ(GetDlgItem(form.Handle(), IdOk), form.OkButton);
    EXPECT_EQ(WindowText(form.OkButton), "OK");
    EXPECT_EQ(FormOf(form.Handle()), &form);
    EXPECT_FALSE(IsWindowVisible(form.Page2Label)) << "page controls wait for their page";
    ShowWindow(form.Handle(), SW_SHOW);
    form.ShowPage(2);
    EXPECT_TRUE(IsWindowVisible(form.Page2Label));
    form.ShowPage(1);
    EXPECT_FALSE(IsWindowVisible(form.Page2Label));
    SendMessageA(form.OkButton, BM_CLICK, 0, 0);
    SetWindowTextTo(form.NameEdit, "typed");
    EXPECT_EQ(form.events,
              (std::vector<std::string>{"FormCreate", "OkButtonClick", "NameEditChange"}));
    HWND h = form.Handle();
    SendMessageA(h, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(form.Exists());
    EXPECT_EQ(form.events.back(), "FormDestroy");
}

TEST(Forms, ModalLoopEndsWithResultAndReEnablesOwner) {
    TTestForm owner, dialog;
    ASSERT_TRUE(owner.Make());
    ShowWindow(owner.Handle(), SW_SHOW);
    dialog.endWith = 4;
    dialog.endAfterMs = 100;
    ASSERT_TRUE(dialog.Make(owner.Handle()));
    EXPECT_EQ(dialog.ShowModal(), 4);
    EXPECT_FALSE(dialog.Exists());
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
}

TEST(Forms, QuitDuringModalLoopEndsItAndIsPostedAgain) {
    TTestForm owner, dialog;
    ASSERT_TRUE(owner.Make());
    dialog.endWith = -1; // the end timer posts WM_QUIT 7
    dialog.endAfterMs = 100;
    ASSERT_TRUE(dialog.Make(owner.Handle()));
    EXPECT_EQ(dialog.ShowModal(), 0);
    EXPECT_FALSE(dialog.Exists());
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
    int code = 0;
    ASSERT_TRUE(QuitPending(code)) << "WM_QUIT must reach the loop outside";
    EXPECT_EQ(code, 7);
}

TEST(Forms, StackedModalFormsKeepTheirOwnState) {
    TTestForm outer, inner;
    outer.inner = &inner;
    inner.endWith = 5;
    inner.endAfterMs = 100;
    outer.endWith = 3;
    ASSERT_TRUE(outer.Make());
    outer.StartTimer(StartupTimer, 50);
    EXPECT_EQ(outer.ShowModal(), 3);
    EXPECT_EQ(outer.events, (std::vector<std::string>{"FormCreate", "StartupTimerTimer", "inner 5",
                                                      "FormDestroy"}));
    EXPECT_FALSE(inner.Exists());
}

TEST(Forms, PlaceControlOverEveryPositionName) {
    TTestForm form;
    ASSERT_TRUE(form.Make());
    struct Case {
        const char* name;
        Box expected;
    } cases[] = {
        {"Center", {110, 50, 75, 23}},        {"Top/Left", {20, 10, 75, 23}},
        {"Top/Right", {200, 10, 75, 23}},     {"Bottom/Left", {20, 90, 75, 23}},
        {"Bottom/Right", {200, 90, 75, 23}},  {"top/center", {110, 10, 75, 23}},
        {"Bottom/Center", {110, 90, 75, 23}}, {"Left/Center", {20, 50, 75, 23}},
        {"Right/Center", {200, 50, 75, 23}},  {"Entire Screen", {10, 0, 255, 123}},
        {"Hide", {-70, -18, 75, 23}},         {"nowhere", {110, 50, 75, 23}},
    };
    int index = 0;
    for (const Case& c : cases) {
        SetControlBox(form.OkButton, {1, 2, 75, 23});
        // Area at (10, 0), free 200 x 100, margin 10.
        EXPECT_EQ(PlaceControl(form.OkButton, c.name, 100, 10, 0, 10, 200), index < 11 ? index : 0)
            << c.name;
        EXPECT_EQ(ControlBox(form.OkButton), c.expected) << c.name;
        ++index;
    }
}

TEST(Forms, ApplyCharsetSetsFontAndRightToLeft) {
    TTestForm form;
    ASSERT_TRUE(form.Make());
    SendMessageA(form.NameEdit, WM_SETFONT, reinterpret_cast<WPARAM>(SharedFont({})), FALSE);
    ApplyCharset(form.NameEdit, 177);
    auto font = [](HWND h) {
        return FontDescOf(reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0)));
    };
    EXPECT_EQ(font(form.NameEdit).charset, 177);
    EXPECT_EQ(font(form.NameEdit).face, "Tahoma");
    EXPECT_TRUE(GetWindowLongPtrA(form.NameEdit, GWL_EXSTYLE) & WS_EX_RTLREADING);
    ApplyCharset(form.OkButton, 161);
    EXPECT_EQ(font(form.OkButton).charset, 161);
    EXPECT_FALSE(GetWindowLongPtrA(form.OkButton, GWL_EXSTYLE) & WS_EX_RTLREADING);
    EXPECT_EQ(SharedFont({}), SharedFont({})) << "equal fonts are shared";
}

TEST(Forms, FocusUnderlineOfCheckBoxesAndRadioButtons) {
    TTestForm form;
    ASSERT_TRUE(form.Make());
    ShowWindow(form.Handle(), SW_SHOW);
    auto make = [&](DWORD type, int y) {
        HWND h = CreateWindowExA(0, "Button", "choice", WS_CHILD | WS_VISIBLE | type, 150, y, 100,
                                 20, form.Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
        SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(SharedFont({})), FALSE);
        return h;
    };
    HWND check = make(BS_AUTOCHECKBOX, 10), radio = make(BS_AUTORADIOBUTTON, 40);
    auto underlined = [](HWND h) {
        return FontDescOf(reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0))).underline;
    };
    // This test program carries no manifest: no themes, nothing is hooked.
    HookFocusUnderline(form.Handle());
    SetFocus(check);
    EXPECT_FALSE(underlined(check));
    HookFocusUnderlineAlways(form.Handle());
    HookFocusUnderlineAlways(form.Handle()); // twice is once
    SetFocus(form.NameEdit);
    for (HWND h : {check, radio}) {
        SetFocus(h);
        EXPECT_TRUE(underlined(h));
        SetFocus(form.NameEdit);
        EXPECT_FALSE(underlined(h));
    }
    SetFocus(form.OkButton);
    EXPECT_FALSE(underlined(form.OkButton)) << "push buttons are left alone";
}
