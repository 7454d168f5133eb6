#include "UnMain.h"

#include "AboutDlg.h"
#include "Common.h"
#include "ControlIds.h"
#include "Exec.h"
#include "ExecHost.h"
#include "Files.h"
#include "Global.h"
#include "MsgMarkup.h"
#include "Process.h"
#include "RegOp.h"
#include "RichEd.h"
#include "RunTimeDir.h"
#include "Scramble.h"
#include "SysLibs.h"
#include "U_DEBUG0.h"
#include "UtilPlus.h"
#include "ZMsgBox.h"

#include <shlobj.h>

namespace zk {

namespace {

bool gUninstallDone = false;

// One list of a stage: its memo header (none: it goes on under the previous one), the list,
// its handler and the counter its failures raise.
struct StageList {
    const char* header;
    WorkList list;
    ItemResult (*handler)(const RemovalContext&, const Text&);
    int RemovalCounters::*counter;
};
struct RemovalStage {
    int mark; // the stage label ticked off when the stage starts
    std::vector<StageList> lists;
};

// Stages 2 to 7; the execute stages 1 and 8 stand around them.
const RemovalStage kRemovalStages[] = {
    {1,
     {{"UNREGISTER_OCX_FILES", WorkList::Ocx, UnregisterOcxItem, nullptr},
      {"UNREGISTER_FONT_FILES", WorkList::Font, RemoveFontItem, nullptr},
      {"UNMARK_READONLY_FILES", WorkList::ReadOnly, ClearReadOnlyItem, nullptr},
      {"REMOVE SHARED FILES", WorkList::SharedFile, RemoveSharedFileItem,
       &RemovalCounters::files}}},
    {2, {{"REMOVE FILES", WorkList::File, RemoveFileItem, &RemovalCounters::files}}},
    {3, {{"REMOVE FOLDERS", WorkList::Count, nullptr, nullptr}}},
    {4,
     {{"REMOVE PROGRAM FOLDERS", WorkList::ForceFolder, ForceRemoveDirItem,
       &RemovalCounters::directories},
      {nullptr, WorkList::Folder, RemoveDirItem, &RemovalCounters::directories}}},
    {5,
     {{"REMOVE PROGRAM DIRECTORIES", WorkList::ForceDir, ForceRemoveDirItem,
       &RemovalCounters::directories},
      {nullptr, WorkList::Dir, RemoveDirItem, &RemovalCounters::directories}}},
    {6,
     {{"REMOVE REGISTRY KEYS", WorkList::RegKey, RemoveRegKeyItem, &RemovalCounters::registry},
      {"REGISTRY OP", WorkList::RegistryOp, UndoRegistryOpItem, &RemovalCounters::registry},
      {"INI FILE OP", WorkList::IniFileOp, UndoIniFileOpItem, &RemovalCounters::iniFile},
      {"ENVIRONMENT OP", WorkList::EnvironmentOp, UndoEnvironmentOpItem, nullptr},
      {"ASSOCIATE OP", WorkList::Association, UndoAssociationItem, &RemovalCounters::association},
      {"OPEN WITH OP", WorkList::OpenWith, UndoOpenWithItem, &RemovalCounters::association},
      // Last: the rows and keys above have emptied them.
      {"REMOVE EMPTY REGISTRY KEYS", WorkList::EmptyRegKey, RemoveEmptyRegKeyItem,
       &RemovalCounters::registry}}},
};

constexpr const char* kExecuteHeader = "PERFORM EXECUTE OP";
constexpr const char* kAboutCaption = "About Zelkon";
constexpr UINT_PTR kStartupTimer = 1;
constexpr DWORD kStagePause = 500;
constexpr int kClientWidth = 476, kClientHeight = 344;
constexpr int kMarkSize = 13;
// Panel1 (the stage list) at 189, 84; its labels and marks are placed on the form directly.
constexpr int kPanelLeft = 189, kPanelTop = 84, kPanelWidth = 257;
constexpr int kLabelLeft = kPanelLeft + 32, kMarkLeft = kPanelLeft + 8;
constexpr int kLabelWidth = 193, kStageGap = 8; // a label's design width; 8 below the one above
// The column of the texts right of the side panel (RichEdit1's): a stage label's room.
constexpr int kTextLeft = 173, kTextRight = 173 + 289;

} // namespace

bool IsUninstallDone() {
    return gUninstallDone;
}

void SetUninstallDone() {
    gUninstallDone = true;
}

bool IsTestMode() {
    static const bool testMode = GetFileAttributesA("C:\\Setup.tst") != INVALID_FILE_ATTRIBUTES;
    return testMode;
}

Text GetUninstallScriptPath() {
    const Text exe = GetExeName();
    const size_t dot = exe.rfind('.');
    const size_t slash = LastCharOf(exe, "\\/");
    const bool hasExt = dot != Text::npos && (slash == Text::npos || dot > slash);
    return (hasExt ? exe.substr(0, dot) : exe) + ".txt";
}

Text GetUninstallLogPath() {
    return GetExeDir(true) + "UnInstall.log";
}

TextList LoadUninstallScript(const Text& path) {
    return SplitLines(ScrambleText(LoadFile(path), false));
}

// --- RemovalRun ---

RemovalRun::RemovalRun(const UninstallWorkLists& lists, const RemovalContext& context,
                       TExecDll* binding)
    : lists_(lists), context_(context), binding_(binding) {}

void RemovalRun::AddMemoHeader(const char* title) {
    for (const Text& line : MemoHeaderLines(title)) memo_ += line + "\r\n";
}

void RemovalRun::ReportItemResult(const Text& item, const ItemResult& result) {
    if (!result.reported) {
        TraceLine("Kept: " + item + (result.reason.empty() ? "" : " (" + result.reason + ")"));
        return;
    }
    memo_ += MemoItemLine(item, result.success) + "\r\n";
    if (result.success) return;
    log_ += LogLine(item);
    TraceLine(item);
    if (!result.reason.empty()) TraceLine("  " + result.reason);
}

void RemovalRun::HandleItem(const Text& item, Handler handler, int RemovalCounters::*counter) {
    const ItemResult result = handler(context_, item);
    if (result.reported && !result.success && counter) ++(counters_.*counter);
    ReportItemResult(item, result);
}

void RemovalRun::ProcessListLongestFirst(const TextList& list, Handler handler,
                                         int RemovalCounters::*counter) {
    for (const Text& item : LongestFirst(list)) HandleItem(item, handler, counter);
}

void RemovalRun::ProcessExecuteList(int stage) {
    for (const Text& item : lists_[WorkList::Execute]) {
        if (exitRequest_) break;
        Text log; // discarded: the memo and the failure log show the item itself
        const bool success = RunExecuteItem(binding_, item, stage, exitRequest_, log);
        const ItemResult result{success, true, success ? "" : "failed"};
        if (result.reported && !result.success) ++counters_.execute;
        ReportItemResult(item, result);
    }
}

bool RemovalRun::Perform(const RemovalHooks& hooks, const Text& executionDllPath) {
    // Every key deletion of the run keeps to the shared-key rule, the rows', the Open With
    // verbs' and the execute items' too.
    SetRegKeyDeleteGuard([](const Text& key) {
        if (!IsProtectedRegistryKey(key)) return true;
        TraceLine("DeleteRegKey(" + key + ") refused: shared or top-level key");
        return false;
    });
    struct GuardEnd {
        ~GuardEnd() { SetRegKeyDeleteGuard(nullptr); }
    } guardEnd;
    AddMemoHeader(kExecuteHeader);
    ProcessExecuteList(kUninstallStartStage);
    if (exitRequest_) return false;
    // A staged replacement goes with the files: its rename at the next start must go first.
    TraceLine(DropPendingRenamesOf(lists_[WorkList::File], CurrentPendingRenamePlace()));
    for (const RemovalStage& stage : kRemovalStages) {
        if (hooks.stageReached) hooks.stageReached(stage.mark);
        for (const StageList& s : stage.lists) {
            if (s.header) AddMemoHeader(s.header);
            if (s.handler) ProcessListLongestFirst(lists_[s.list], s.handler, s.counter);
        }
        if (hooks.stageDone) hooks.stageDone();
    }
    AddMemoHeader(kExecuteHeader);
    ProcessExecuteList(kUninstallEndStage);
    // Service files go even after a stop: the last execute stage was their last use.
    ProcessListLongestFirst(lists_[WorkList::ServiceFile], RemoveFileItem, &RemovalCounters::files);
    if (exitRequest_) return false;
    if (!executionDllPath.empty())
        HandleItem(executionDllPath, RemoveFileItem, &RemovalCounters::files);
    return true;
}

// --- TMainForm ---

namespace {

using F = TMainForm;
constexpr DWORD kLabelStyle = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kMarkStyle = SS_OWNERDRAW;

const ControlDef<F> kControls[] = {
    {&F::Panel2, ids::UnSidePanel, "STATIC", "", 13, 16, 142, 269, SS_OWNERDRAW},
    {&F::RichEdit1, ids::UnIntroText, RichEditClass, "", 173, 16, 289, 66,
     ES_MULTILINE | ES_READONLY},
    {&F::Label1, ids::UnStageLabel1, "STATIC", "", kLabelLeft, kPanelTop + 8, kLabelWidth, 16,
     kLabelStyle},
    {&F::Label2, ids::UnStageLabel1 + 1, "STATIC", "", kLabelLeft, kPanelTop + 32, kLabelWidth, 16,
     kLabelStyle},
    {&F::Label3, ids::UnStageLabel1 + 2, "STATIC", "", kLabelLeft, kPanelTop + 56, kLabelWidth, 16,
     kLabelStyle},
    {&F::Label4, ids::UnStageLabel1 + 3, "STATIC", "", kLabelLeft, kPanelTop + 80, kLabelWidth, 16,
     kLabelStyle},
    {&F::Label5, ids::UnStageLabel1 + 4, "STATIC", "", kLabelLeft, kPanelTop + 104, kLabelWidth, 16,
     kLabelStyle},
    {&F::Label6, ids::UnStageLabel1 + 5, "STATIC", "", kLabelLeft, kPanelTop + 128, kLabelWidth, 16,
     kLabelStyle},
    {&F::Image1, ids::UnStageMark1, "STATIC", "", kMarkLeft, kPanelTop + 7, kMarkSize, kMarkSize,
     kMarkStyle, 0, 0, true},
    {&F::Image2, ids::UnStageMark1 + 1, "STATIC", "", kMarkLeft, kPanelTop + 31, kMarkSize,
     kMarkSize, kMarkStyle, 0, 0, true},
    {&F::Image3, ids::UnStageMark1 + 2, "STATIC", "", kMarkLeft, kPanelTop + 55, kMarkSize,
     kMarkSize, kMarkStyle, 0, 0, true},
    {&F::Image4, ids::UnStageMark1 + 3, "STATIC", "", kMarkLeft, kPanelTop + 79, kMarkSize,
     kMarkSize, kMarkStyle, 0, 0, true},
    {&F::Image5, ids::UnStageMark1 + 4, "STATIC", "", kMarkLeft, kPanelTop + 103, kMarkSize,
     kMarkSize, kMarkStyle, 0, 0, true},
    {&F::Image6, ids::UnStageMark1 + 5, "STATIC", "", kMarkLeft, kPanelTop + 127, kMarkSize,
     kMarkSize, kMarkStyle, 0, 0, true},
    {&F::Memo1, ids::UnMemo, "EDIT", "", 173, 84, 289, 173,
     ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL,
     WS_EX_CLIENTEDGE, 0, true},
    {&F::Label7, ids::UnDoneLabel, "STATIC", "UnInstall completed successfully !", 173, 267, 291,
     13, SS_CENTER | SS_NOPREFIX, 0, 0, true},
    {&F::Bevel1, ids::UnBevel, "STATIC", "", 13, 296, 450, 2, SS_ETCHEDHORZ},
    {&F::Label21, ids::UnBrandLabel, "STATIC", " Zelkon ", 25, 289, 50, 13,
     SS_LEFT | SS_NOPREFIX | WS_DISABLED},
    {&F::CompanyUrlLabel, ids::UnCompanyUrlLabel, "STATIC", "", 13, 315, 260, 13,
     SS_LEFT | SS_NOPREFIX | SS_NOTIFY},
    {&F::LogButton, ids::UnLogButton, "BUTTON", "View &Log", 287, 309, 80, 25,
     BS_PUSHBUTTON | WS_TABSTOP, 0, 0, true},
    {&F::CloseButton, ids::UnCloseButton, "BUTTON", "&Close", 383, 309, 80, 25,
     BS_DEFPUSHBUTTON | WS_TABSTOP},
};

const CommandRoute<F> kCommands[] = {
    {ids::UnCloseButton, BN_CLICKED, &F::CloseButtonClick},
    {ids::UnLogButton, BN_CLICKED, &F::LogButtonClick},
    {ids::UnCompanyUrlLabel, STN_CLICKED, &F::CompanyUrlLabelClick},
};
const TimerRoute<F> kTimers[] = {{kStartupTimer, &F::StartupTimerTimer}};

// The tick of a finished stage: a check mark in a 13 x 13 box.
void DrawStageMark(const DRAWITEMSTRUCT& d) {
    FillRect(d.hDC, &d.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    Owned<HPEN, GdiTraits<HPEN>> pen(CreatePen(PS_SOLID, 2, RGB(0, 128, 0)));
    HGDIOBJ old = SelectObject(d.hDC, pen.get());
    const int x = d.rcItem.left, y = d.rcItem.top;
    MoveToEx(d.hDC, x + 2, y + 6, nullptr);
    LineTo(d.hDC, x + 5, y + 10);
    LineTo(d.hDC, x + 11, y + 2);
    SelectObject(d.hDC, old);
}

// The side panel: framed by GET_DIALOG_BITMAP_3D_FRAME, the picture's gradient inside.
void DrawSidePanel(const DRAWITEMSTRUCT& d, bool framed) {
    RECT r = d.rcItem;
    const int height = r.bottom - r.top;
    for (int y = 0; y < height; ++y) {
        const int blue = 255 - 127 * y / (height > 1 ? height - 1 : 1);
        RECT row{r.left, r.top + y, r.right, r.top + y + 1};
        UniqueBrush b(CreateSolidBrush(RGB(0, 0, blue)));
        FillRect(d.hDC, &row, b.get());
    }
    if (framed) DrawEdge(d.hDC, &r, BDR_SUNKENOUTER, BF_RECT);
}

// The folders the installation used: folder macros of operation rows and execute items
// expand to them.
void InstallUninstallFolders(const TextList& lines) {
    const auto value = [&](const char* key) { return GetScriptValue(lines, key); };
    SetInstallFolders(value("TargetDir"), value("SharedDir"), value("AuxiliaryDir"));
    SetRunTimeDirDefs(value("RunTimeDir_1"), value("RunTimeDir_2"), value("RunTimeDir_3"));
}

} // namespace

TMainForm::TMainForm() = default;

TMainForm::~TMainForm() {
    SetExecHostCallbacks({}, {});
}

bool TMainForm::Open() {
    richEditLibrary_.reset(LoadSystemLibrary(RichEditLibrary));
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_APPWINDOW;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    if (!Create({ids::UninstallClass}, nullptr, "UnInstall", style, exStyle, x, y, width, height))
        return false;
    FormShow();
    ShowWindow(Handle(), SW_SHOW);
    UpdateWindow(Handle());
    return true;
}

void TMainForm::FormCreate() {
    SetExecHostCallbacks({},
                         [this](const Text& name) { return GetUserVariable(scriptLines_, name); });
    log_.clear();
    CreateControls(*this, kControls);
    SetFormFont(SharedFont(FontDesc{}));
    scriptLines_ = LoadUninstallScript(GetUninstallScriptPath());
    charset_ = StrToIntDef(Value("CHAR_SET"), 0);
    InstallUninstallFolders(scriptLines_);
    SendMessageA(Memo1, EM_SETLIMITTEXT, 0, 0);
    SetWindowTextTo(Memo1, "");
    ShowWindow(IsTestMode() ? Memo1 : Label1, SW_SHOW);
    if (IsTestMode())
        for (HWND label : {Label1, Label2, Label3, Label4, Label5, Label6})
            ShowWindow(label, SW_HIDE);
    ChangeControlFont(Label7, [](FontDesc& f) { f.weight = FW_BOLD; });
    ChangeControlFont(Label21, [](FontDesc& f) {
        f.face = "MS Sans Serif";
        f.weight = FW_BOLD;
    });
    ChangeControlFont(CompanyUrlLabel, [](FontDesc& f) { f.underline = true; });
}

void TMainForm::FormShow() {
    const Text url = Value("COMPANY_URL");
    SetWindowTextTo(CompanyUrlLabel, url.empty() ? Text(kAboutCaption) : url);
    const Text progName = Value("PROG_NAME");
    SetWindowTextTo(Handle(), "UnInstall - " + progName);
    for (int i = 1; i <= 6; ++i) {
        SetWindowTextTo(StageLabel(i), Value(("LABEL" + IntToStr(i)).c_str()));
        if (IsRtlCharset(charset_)) ApplyCharset(StageLabel(i), charset_);
    }
    if (IsRtlCharset(charset_)) {
        const int left = kPanelLeft + kPanelWidth - (kMarkLeft - kPanelLeft + kMarkSize);
        for (int i = 1; i <= 6; ++i) {
            Box b = ControlBox(StageMark(i));
            b.left = left;
            SetControlBox(StageMark(i), b);
        }
        ApplyCharset(Label7, charset_);
    }
    LayOutStageRows();
    SetWindowTextTo(Label7, Value("S2"));
    SetWindowTextTo(CloseButton, Value("BUTTON_CLOSE"));
    SetWindowTextTo(LogButton, Value("BUTTON_LOG"));
    ApplyCharset(CloseButton, charset_);
    ApplyCharset(LogButton, charset_);
    FitButtonRowBesideLabel({LogButton, CloseButton},
                            {ControlBox(LogButton), ControlBox(CloseButton)}, CompanyUrlLabel,
                            ControlBox(CompanyUrlLabel).width);
    if (ReplaceWithRtlRichEdit(RichEdit1, charset_)) ApplyCharset(RichEdit1, charset_);
    ShowAsLabelMemo(RichEdit1, ReplaceAllSafe(Value("S1"), "PROG_NAME", progName));
    StartTimer(kStartupTimer, 1000);
    EnableWindow(CloseButton, FALSE);
    running_ = true;
}

// A stage label takes the text column up to its mark and as many lines as its text needs;
// the rows below a taller one move down, each mark beside its label.
void TMainForm::LayOutStageRows() {
    const bool rtl = IsRtlCharset(charset_);
    const int left = rtl ? kTextLeft : kLabelLeft;
    const int width = (rtl ? kLabelLeft + kLabelWidth : kTextRight) - left;
    std::vector<int> tops, heights;
    for (int i = 1; i <= 6; ++i) {
        const Box design = ControlBox(StageLabel(i));
        tops.push_back(design.top);
        heights.push_back(std::max(design.height, WrappedTextHeight(StageLabel(i), width)));
    }
    const std::vector<int> rows = StackRows(tops, heights, kStageGap);
    for (int i = 1; i <= 6; ++i) {
        SetControlBox(StageLabel(i), {left, rows[i - 1], width, heights[i - 1]});
        Box mark = ControlBox(StageMark(i));
        mark.top = rows[i - 1] - 1;
        SetControlBox(StageMark(i), mark);
    }
}

HWND TMainForm::StageLabel(int n) const {
    const HWND labels[] = {Label1, Label2, Label3, Label4, Label5, Label6};
    return labels[n - 1];
}

HWND TMainForm::StageMark(int n) const {
    const HWND marks[] = {Image1, Image2, Image3, Image4, Image5, Image6};
    return marks[n - 1];
}

void TMainForm::Command(int id, int code, HWND) {
    Route(*this, kCommands, id, code);
}

void TMainForm::Timer(UINT_PTR id) {
    Route(*this, kTimers, id);
}

bool TMainForm::Message(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_DRAWITEM) {
        const auto& d = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (d.hwndItem == Panel2) {
            DrawSidePanel(d, IsFlagOn(Value("GET_DIALOG_BITMAP_3D_FRAME")));
        } else {
            DrawStageMark(d);
        }
        result = TRUE;
        return true;
    }
    if (msg == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lp) == CompanyUrlLabel) {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, RGB(0, 0, 255));
        SetBkMode(dc, TRANSPARENT);
        result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        return true;
    }
    if (msg == WM_SETCURSOR && reinterpret_cast<HWND>(lp) == CompanyUrlLabel) {
        SetCursor(LoadCursorA(nullptr, IDC_HAND));
        result = TRUE;
        return true;
    }
    return false;
}

void TMainForm::StartupTimerTimer() {
    StopTimer(kStartupTimer);
    RunUninstall();
}

void TMainForm::RunUninstall() {
    ParseUninstallScript();
    PerformUninstall();
}

void TMainForm::ParseUninstallScript() {
    lists_ = zk::ParseUninstallScript(scriptLines_);
    for (const Text& refused : lists_.refusedDllNames)
        TraceLine("SET_EXECUTION_DLL_NAME(" + refused + ") refused: not a plain file name");
    if (!lists_.executionDllName.empty())
        execDll_.LoadDllAliases(GetExeDir(true) + lists_.executionDllName, true, false);
}

void TMainForm::ShowStageMark(int stage) {
    if (stage >= 1 && stage <= 6) ShowWindow(StageMark(stage), SW_SHOW);
}

// The run's memo only grows (one run per window): what is new goes in at the end. Setting the
// whole text again after every stage lays every earlier line out again and made long runs
// superlinear.
void TMainForm::ShowMemo(const Text& memo) {
    if (memo.size() < memoShown_) {
        SetWindowTextTo(Memo1, "");
        memoShown_ = 0;
    }
    const WPARAM end = GetWindowTextLengthA(Memo1);
    SendMessageA(Memo1, EM_SETSEL, end, end);
    if (memo.size() > memoShown_) {
        const Text added = memo.substr(memoShown_);
        SendMessageA(Memo1, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(added.c_str()));
    }
    memoShown_ = memo.size();
    SendMessageA(Memo1, EM_SCROLLCARET, 0, 0);
}

void TMainForm::PerformUninstall() {
    HideCaret(nullptr);
    const RemovalContext context = MakeRemovalContext(lists_, GetExeName());
    RemovalRun run(lists_, context, &execDll_);
    RemovalHooks hooks;
    hooks.stageReached = [this](int stage) { ShowStageMark(stage); };
    hooks.stageDone = [this, &run] {
        ShowMemo(run.Memo());
        WaitWithMessages(kStagePause);
    };
    const Text dllPath =
        lists_.executionDllName.empty() ? Text() : GetExeDir(true) + lists_.executionDllName;
    const bool completed = run.Perform(hooks, dllPath);
    ShowMemo(run.Memo());
    log_ = run.Log();
    if (!completed) {
        TraceLine("UnInstall stopped by an execute operation: the uninstaller stays");
        running_ = false;
        Close();
        return;
    }
    FinishRun(run);
    running_ = false;
}

void TMainForm::ShowSummary(const RemovalCounters& counters) {
    const Text message = SummaryMessage(counters);
    if (!message.empty() && !IsFlagOn(Value("GET_HIDE_ERR_MSG_UNINSTALL")))
        ShowErrorBox(nullptr, message, "Error", DefaultButtonCaptions, 0);
}

void TMainForm::FinishRun(const RemovalRun& run) {
    ShowSummary(run.Counters());
    ShowWindow(Label7, SW_SHOW);
    SetUninstallDone();
    if (!IsFlagOn(Value("GET_HIDE_LOG_BTN_UNINSTALL")) && !log_.empty())
        ShowWindow(LogButton, SW_SHOW);
    EnableWindow(CloseButton, TRUE);
    SetFocus(CloseButton);
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

bool TMainForm::FormCloseQuery() {
    // From its start the run walks the work lists while it pumps messages in its pauses: the
    // window stays until the run has ended.
    return !running_;
}

void TMainForm::FormClose() {
    const Text logPath = GetUninstallLogPath();
    if (GetFileAttributesA(logPath.c_str()) != INVALID_FILE_ATTRIBUTES)
        DeleteFileA(logPath.c_str());
}

void TMainForm::CloseButtonClick() {
    Close();
}

void TMainForm::LogButtonClick() {
    const Text logPath = GetUninstallLogPath();
    SaveFile(logPath, log_, 0);
    Text command = GetWindowsDir(true) + "notepad.exe";
    Text commandLine = "\"" + command + "\" \"" + logPath + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION pi{};
    if (CreateProcessA(command.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    } else {
        TraceLine("Cannot start " + commandLine + ": error " + IntToStr(GetLastError()));
    }
}

void TMainForm::CompanyUrlLabelClick() {
    const Text caption = WindowText(CompanyUrlLabel);
    if (TextEquals(caption, kAboutCaption)) {
        ShowAboutBox(Handle(), Value("PROG_NAME"), RGB(0, 0, 255), RGB(0, 0, 128));
        return;
    }
    ShellOpen(caption, "", SW_SHOW);
}

} // namespace zk
