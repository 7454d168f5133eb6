#include "SScriptRead.h"

#include "SKeywords.h"
#include "Scramble.h"

namespace zk {

namespace {

const char* const UnrecognizedCommand = "\\\\n\\\\nUnrecognized command in Script file";

// Cut at the first "//" that does not follow a colon, so URLs survive.
void StripLineComment(Text& line) {
    size_t p = line.find("//");
    while (p != Text::npos && p > 0 && line[p - 1] == ':') p = line.find("//", p + 1);
    if (p != Text::npos) line.resize(p);
}

// A ";" after the last ")" ends the command; one inside the argument belongs to it.
void CutTail(Text& line) {
    size_t semi = line.rfind(';');
    size_t close = line.rfind(')');
    if (semi != Text::npos && (close == Text::npos || semi > close)) line.resize(semi);
}

void SplitCommand(const Text& line, Text& keyword, Text& argument) {
    keyword = line;
    argument.clear();
    size_t open = line.find('(');
    if (open == Text::npos || open == 0) return;
    keyword = line.substr(0, open);
    size_t close = line.rfind(')');
    if (close != Text::npos && close > open) argument = line.substr(open + 1, close - open - 1);
    UnquoteArgument(argument);
}

void ParseLine(TScript& script, Text line, const ScriptErrorSink& onError) {
    if (script.GetCopyToUninstall()) {
        script.AddUninstallLine(line);
        return;
    }
    CutTail(line);
    Text keyword, argument;
    SplitCommand(line, keyword, argument);
    keyword = UpperCase(Trim(keyword));
    if (keyword.empty()) return;
    if (KeywordTable::Apply(script, keyword, argument) != KeywordResult::Stored && onError)
        onError(line + UnrecognizedCommand);
}

} // namespace

void UnquoteArgument(Text& argument) {
    const Text& a = argument;
    if (a.size() < 2 || a.front() != '"' || a.back() != '"') return;
    Text result;
    result.reserve(a.size());
    for (size_t k = 1; k < a.size(); ++k)
        if (a[k] != '"' || a[k - 1] == '"') result += a[k];
    argument = result;
}

Text StripBlockComments(const Text& text) {
    Text out;
    out.reserve(text.size());
    size_t from = 0;
    while (from < text.size()) {
        // Text joined around a removed comment can form a new "/*" at the seam.
        size_t open = Text::npos;
        if (!out.empty() && out.back() == '/' && text[from] == '*') {
            open = from - 1; // logically the "/" already in out
        } else {
            open = text.find("/*", from);
            if (open == Text::npos) break;
        }
        // The star of "/*" may also begin the "*/", so "/*/" is a whole comment.
        size_t close = text.find("*/", open + 1);
        if (close == Text::npos) break;
        if (open + 1 == from)
            out.pop_back();
        else
            out.append(text, from, open - from);
        from = close + 2;
    }
    out.append(text, from, Text::npos);
    return out;
}

void ReadScriptText(TScript& script, const Text& fileText, const ScriptErrorSink& onError) {
    script.Clear();
    Text text = ScrambleText(fileText, false);
    size_t nul = text.find('\0');
    if (nul != Text::npos) text.resize(nul);
    text = StripBlockComments(text);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == Text::npos) end = text.size();
        Text line = text.substr(start, end - start);
        start = end + 1;
        StripLineComment(line);
        line = Trim(line);
        if (line.empty() || line[0] == ';') continue;
        ParseLine(script, line, onError);
    }
}

} // namespace zk
