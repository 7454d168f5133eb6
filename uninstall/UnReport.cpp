#include "UnReport.h"

namespace zk {

Text MakeConfirmText(const Text& confirmText, const Text& progName) {
    Text text = confirmText;
    if (text.find("PROG_NAME") == Text::npos) text += " <b>" + progName + "?</b>";
    return ReplaceAllSafe(text, "PROG_NAME", progName);
}

TextList MemoHeaderLines(const Text& title) {
    return {"", title + " "};
}

Text MemoItemLine(const Text& item, bool success) {
    return (success ? "\t" : "*\t") + item + " ";
}

namespace {

struct SummaryLine {
    int RemovalCounters::*counter;
    const char* text;
};

struct SummaryPart {
    std::vector<SummaryLine> lines;
    const char* closing;
};

const SummaryPart kSummaryParts[] = {
    {{{&RemovalCounters::registry, "UnInstall was unable to handle one or more Registry keys\\\\n"},
      {&RemovalCounters::iniFile,
       "UnInstall was unable to handle one or more IniFile entries\\\\n"},
      {&RemovalCounters::association,
       "UnInstall was unable to handle one or more File Association entries\\\\n"}},
     "\\\\nTo complete the UnInstall operation, Please handle them manually."},
    {{{&RemovalCounters::directories,
       "UnInstall was unable to remove one or more Directories\\\\n"},
      {&RemovalCounters::files, "UnInstall was unable to remove one or more Files\\\\n"}},
     "\\\\nTo complete the UnInstall operation, Please remove them manually."},
    {{{&RemovalCounters::execute, "UnInstall was unable to execute one or more operations\\\\n"}},
     "\\\\nTo complete the UnInstall operation, Please perform them manually."},
};

Text QuotedBatchPath(const Text& path) {
    return "\"" + ReplaceAll(path, "%", "%%") + "\"";
}

} // namespace

Text SummaryMessage(const RemovalCounters& c) {
    Text message;
    for (const SummaryPart& part : kSummaryParts) {
        Text text;
        for (const SummaryLine& line : part.lines)
            if (c.*line.counter > 0) text += line.text;
        if (text.empty()) continue;
        if (!message.empty()) message += "\\\\n\\\\n";
        message += text + part.closing;
    }
    return message;
}

Text SelfDeleteBatchText(const Text& exe, const Text& dir, const Text& bat, bool removeFolder,
                         int tries, const TextList& parentDirs) {
    const Text qExe = QuotedBatchPath(exe);
    TextList lines = {
        "@ECHO OFF",
        "SET /A ZK_TRY=0",
        ":START",
        "DEL /F " + qExe + " >NUL 2>NUL",
        "IF NOT EXIST " + qExe + " GOTO GONE",
        "SET /A ZK_TRY=ZK_TRY+1",
        "IF %ZK_TRY% GEQ " + IntToStr(tries) + " GOTO GONE",
        "PING -n 2 127.0.0.1 >NUL",
        "GOTO START",
        ":GONE",
    };
    if (removeFolder) {
        lines.push_back("RD " + QuotedBatchPath(dir) + " >NUL 2>NUL");
        for (const Text& parent : parentDirs)
            lines.push_back("RD " + QuotedBatchPath(parent) + " >NUL 2>NUL");
    }
    lines.push_back("DEL " + QuotedBatchPath(bat) + " >NUL 2>NUL");
    Text text;
    for (const Text& line : lines) text += line + "\r\n";
    return text;
}

} // namespace zk
