// The rich-edit helpers on real Rich Edit 1.0 controls of a form in this process.
#include "Forms.h"
#include "RichEd.h"

#include <gtest/gtest.h>
#include <richedit.h>

#include <vector>

using namespace zk;

namespace {

constexpr int IdMemo = 3101, IdOther = 3102;

class TMemoForm : public TForm {
  public:
    HWND Memo = nullptr;
    HWND Other = nullptr;
    bool Make() {
        return Create({"ZkRichEdTest"}, nullptr, "Rich edit test", WS_OVERLAPPEDWINDOW, 0, 20, 20,
                      420, 300);
    }

  protected:
    void FormCreate() override {
        static const ControlDef<TMemoForm> controls[] = {
            {&TMemoForm::Memo, IdMemo, RichEditClass, "", 10, 10, 380, 120,
             ES_MULTILINE | WS_BORDER | WS_TABSTOP | WS_VSCROLL},
            {&TMemoForm::Other, IdOther, "Button", "Other", 10, 140, 80, 23, WS_TABSTOP, 0, 1},
        };
        CreateControls(*this, controls);
    }
};

struct Fixture : ::testing::Test {
    UniqueModule library{LoadLibraryA(RichEditLibrary)};
    TMemoForm form;
    void SetUp() override { ASSERT_TRUE(library && form.Make() && form.Memo); }
};

// Which characters of the text are bold, as a mask of '-' and 'B' ('|' for CR and LF).
std::string BoldMask(HWND edit) {
    std::string mask, text = WindowText(edit);
    for (int i = 0; i < static_cast<int>(text.size()); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            mask += '|';
            continue;
        }
        CHARRANGE r{i, i + 1};
        SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
        CHARFORMATA f{};
        f.cbSize = sizeof f;
        SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
        mask += f.dwEffects & CFE_BOLD ? 'B' : '-';
    }
    return mask;
}

LONG_PTR Style(HWND h) {
    return GetWindowLongPtrA(h, GWL_STYLE);
}
LONG_PTR ExStyle(HWND h) {
    return GetWindowLongPtrA(h, GWL_EXSTYLE);
}

} // namespace

using RichEd = Fixture;

TEST_F(RichEd, ApplyBoldMarkupAppendsAndMarksRuns) {
    struct Case {
        const char* before; // already in the control
        const char* markup;
        const char* text;
        const char* bold;
    } cases[] = {
        {"", "a<b>b</b>c", "abc", "-B-"},
        {"", "<B>x</b>y<b>z</B>", "xyz", "B-B"},
        {"", "before</b>after", "beforeafter", "BBBBBB-----"}, // closing tag alone
        {"", "open<b>never closed", "opennever closed", "----------------"},
        {"12", "<b>3</b>4", "1234", "--B-"},
        {"", "l1\r\n<b>l2</b>", "l1\r\nl2", "--||BB"}, // a line break counts two
    };
    for (const Case& c : cases) {
        SetWindowTextA(form.Memo, "");
        ApplyBoldMarkup(form.Memo, c.before);
        ApplyBoldMarkup(form.Memo, c.markup);
        EXPECT_EQ(WindowText(form.Memo), c.text) << c.markup;
        EXPECT_EQ(BoldMask(form.Memo), c.bold) << c.markup;
    }
    // Text appended after a bold end does not inherit the bold.
    SetWindowTextA(form.Memo, "");
    ApplyBoldMarkup(form.Memo, "<b>x</b>");
    ApplyBoldMarkup(form.Memo, "y");
    CHARRANGE caret{};
    SendMessageA(form.Memo, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    EXPECT_EQ(caret.cpMin, 0);
    EXPECT_EQ(caret.cpMax, 0);
    EXPECT_EQ(BoldMask(form.Memo), "B-");
}

TEST_F(RichEd, ApplyBoldMarkupHoldsAnyNumberOfRuns) {
    std::string markup, mask;
    for (int i = 0; i < 250; ++i) markup += "<b>x</b>.", mask += "B-";
    SetWindowTextA(form.Memo, "");
    ApplyBoldMarkup(form.Memo, markup);
    EXPECT_EQ(BoldMask(form.Memo), mask);
}

TEST_F(RichEd, ShowAsLabelMemoLooksLikeALabel) {
    ShowAsLabelMemo(form.Memo, "Line\\\\n<b>bold</b><p>end");
    EXPECT_EQ(WindowText(form.Memo), "Line\r\nbold\r\nend");
    EXPECT_EQ(BoldMask(form.Memo), "----||BBBB||---");
    EXPECT_TRUE(Style(form.Memo) & ES_READONLY);
    EXPECT_FALSE(Style(form.Memo) & (WS_BORDER | WS_TABSTOP));
    EXPECT_FALSE(ExStyle(form.Memo) & WS_EX_CLIENTEDGE);
    // Filled again: cleared first.
    ShowAsLabelMemo(form.Memo, "again");
    EXPECT_EQ(WindowText(form.Memo), "again");
}

TEST_F(RichEd, ReplaceWithRtlRichEditLeavesNoOldHandle) {
    SetWindowTextA(form.Memo, "shalom");
    HWND old = form.Memo;
    const LONG_PTR kept = ES_MULTILINE | WS_BORDER | WS_TABSTOP | WS_VSCROLL | WS_VISIBLE;
    const LONG_PTR styles = Style(old) & kept;
    EXPECT_FALSE(ReplaceWithRtlRichEdit(form.Memo, 0));
    EXPECT_EQ(form.Memo, old) << "other charsets keep the control";
    RECT before;
    GetWindowRect(old, &before);
    ASSERT_TRUE(ReplaceWithRtlRichEdit(form.Memo, 177));
    EXPECT_FALSE(IsWindow(old));
    ASSERT_TRUE(IsWindow(form.Memo));
    EXPECT_EQ(GetDlgItem(form.Handle(), IdMemo), form.Memo) << "same id";
    EXPECT_EQ(WindowText(form.Memo), "shalom");
    EXPECT_TRUE(ExStyle(form.Memo) & WS_EX_RTLREADING);
    EXPECT_EQ(Style(form.Memo) & kept, styles);
    RECT after;
    GetWindowRect(form.Memo, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_EQ(GetWindow(form.Memo, GW_HWNDNEXT), form.Other) << "same place in the tab order";
    // The form's own list follows: showing a page or a charset reaches the new control.
    ShowWindow(form.Handle(), SW_SHOW);
    ShowWindow(form.Memo, SW_HIDE);
    form.ApplyCharsetToControls(178);
    EXPECT_EQ(GetDlgItem(form.Handle(), IdMemo), form.Memo);
}

TEST(RichEdLink, TextNearTheCaret) {
    const std::string pad(40, '.');
    struct Case {
        std::string text;
        int caret;
        bool link;
    } cases[] = {
        {"Visit www.zelkon-setup.com today", 10, true},
        {"Visit WWW.ZELKON-SETUP.COM today", 10, true},
        {"see http://zelkon-setup.com/ now", 12, true},
        {"plain words only, no address here at all", 10, false},
        {pad + "www.zelkon-setup.com", 45, true},
        {pad + pad + "www.zelkon-setup.com", 5, false},  // the address starts past the 60
        {"www.zelkon-setup.com" + pad + pad, 85, false}, // it ends before the 60 begin
        {"short", 400, false},
    };
    for (const Case& c : cases) EXPECT_EQ(LinkTextNearCaret(c.text, c.caret), c.link) << c.text;
}

TEST_F(RichEd, LinkHoverFindsBlueUnderlinedPixels) {
    SendMessageA(form.Memo, EM_SETBKGNDCOLOR, 0, RGB(255, 255, 255));
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}}{\\colortbl;\\red0\\green0\\blue255;}"
                      "\\f0\\fs16 Plain text here then {\\cf1\\ul www.zelkon-setup.com}\\par}";
    LoadRtf(form.Memo, rtf);
    ShowWindow(form.Handle(), SW_SHOW);
    UpdateWindow(form.Handle());
    std::string text = WindowText(form.Memo);
    auto at = [&](const char* word) {
        POINTL p{};
        SendMessageA(form.Memo, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&p),
                     static_cast<LPARAM>(text.find(word)));
        return p;
    };
    POINTL link = at("www."), plain = at("Plain");
    // The control sets its cursor on every WM_SETCURSOR: the hand must win over link pixels.
    auto cursorAfterSetCursor = [&] {
        SendMessageA(form.Memo, WM_SETCURSOR, reinterpret_cast<WPARAM>(form.Memo),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    const HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
    EXPECT_TRUE(TrackRichEditLinkHover(form.Memo, link.x + 30, link.y + 3));
    EXPECT_EQ(cursorAfterSetCursor(), hand);
    EXPECT_FALSE(TrackRichEditLinkHover(form.Memo, plain.x + 30, plain.y + 3));
    EXPECT_NE(cursorAfterSetCursor(), hand);
    EXPECT_FALSE(TrackRichEditLinkHover(form.Memo, link.x + 30, link.y + 40)) << "below it";
}
