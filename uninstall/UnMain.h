// The uninstall window: reads the uninstall script into work lists, removes what they name in
// fixed stages while ticking off six stage labels, then shows the summary of what could not be
// undone and offers the failure log. The removal itself (`RemovalRun`) needs no window, so it
// can be driven directly as well.
#pragma once
#include "ExecDll.h"
#include "Forms.h"
#include "UnRemove.h"
#include "UnReport.h"

#include <functional>

namespace zk {

// Set by the window when the removal ran to its end; the program body deletes the uninstaller
// only then.
bool IsUninstallDone();
void SetUninstallDone();
// "C:\Setup.tst" exists (asked once): the window shows the memo of every item handled.
bool IsTestMode();

// The uninstaller's own path with ".txt"; its folder + "UnInstall.log".
Text GetUninstallScriptPath();
Text GetUninstallLogPath();
// The script as plain lines (a scrambled file is turned back); empty when it cannot be read.
TextList LoadUninstallScript(const Text& path);

// What the removal tells its host on the way.
struct RemovalHooks {
    std::function<void(int stage)> stageReached; // stages 2 to 7 tick off labels 1 to 6
    std::function<void()> stageDone;             // the pause between stages
};

// One removal run over the work lists: memo lines, failure log and counters.
class RemovalRun {
  public:
    // The binding is the extension DLL of the execute items, or null.
    RemovalRun(const UninstallWorkLists& lists, const RemovalContext& context, TExecDll* binding);
    // Runs every stage; false when an execute item asked to stop (the run is then not
    // complete and nothing after that stage was removed, except the service files after the
    // last stage).
    bool Perform(const RemovalHooks& hooks, const Text& executionDllPath);

    const Text& Memo() const { return memo_; }
    const Text& Log() const { return log_; }
    const RemovalCounters& Counters() const { return counters_; }

  private:
    using Handler = ItemResult (*)(const RemovalContext&, const Text&);
    void AddMemoHeader(const char* title);
    void ReportItemResult(const Text& item, const ItemResult& result);
    void ProcessListLongestFirst(const TextList& list, Handler handler,
                                 int RemovalCounters::*counter);
    void HandleItem(const Text& item, Handler handler, int RemovalCounters::*counter);
    void ProcessExecuteList(int stage);

    const UninstallWorkLists& lists_;
    const RemovalContext& context_;
    TExecDll* binding_;
    RemovalCounters counters_;
    bool exitRequest_ = false;
    Text memo_;
    Text log_;
};

class TMainForm : public TForm {
  public:
    TMainForm();
    ~TMainForm() override;
    // Creates the window from the script beside the uninstaller, centred, and shows it.
    bool Open();

    HWND Panel2 = nullptr, RichEdit1 = nullptr, Memo1 = nullptr, Label7 = nullptr, Bevel1 = nullptr,
         Label21 = nullptr, CompanyUrlLabel = nullptr, LogButton = nullptr, CloseButton = nullptr;
    HWND Label1 = nullptr, Label2 = nullptr, Label3 = nullptr, Label4 = nullptr, Label5 = nullptr,
         Label6 = nullptr;
    HWND Image1 = nullptr, Image2 = nullptr, Image3 = nullptr, Image4 = nullptr, Image5 = nullptr,
         Image6 = nullptr;

    // Handlers, routed from the command and timer tables.
    void StartupTimerTimer();
    void CloseButtonClick();
    void LogButtonClick();
    void CompanyUrlLabelClick();

  private:
    void FormCreate() override;
    bool FormCloseQuery() override;
    void FormClose() override;
    void Command(int id, int code, HWND control) override;
    void Timer(UINT_PTR id) override;
    bool Message(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    void FormShow();
    void RunUninstall();
    void ParseUninstallScript();
    void PerformUninstall();
    void ShowStageMark(int stage);
    void ShowMemo(const Text& memo);
    void ShowSummary(const RemovalCounters& counters);
    void FinishRun(const RemovalRun& run);
    Text Value(const char* key) const { return GetScriptValue(scriptLines_, key); }
    HWND StageLabel(int n) const; // 1..6
    void LayOutStageRows();
    HWND StageMark(int n) const;

    int charset_ = 0;
    TextList scriptLines_;
    UninstallWorkLists lists_;
    TExecDll execDll_{nullptr};
    Text log_;
    size_t memoShown_ = 0; // how much of the run's memo the memo control holds
    bool running_ = false;
    UniqueModule richEditLibrary_;
};

} // namespace zk
