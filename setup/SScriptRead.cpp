#include "SScriptRead.h"

#include <algorithm>

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

// A ";" ends the command only right after a ")" (blanks between allowed); the last such ";"
// is the cut, so a ";" inside an argument and a remark with parentheses both survive. A line
// without "(" has no argument to protect: its first ";" ends the keyword.
void CutTail(Text& line) {
    if (line.find('(') == Text::npos) {
        size_t semi = line.find(';');
        if (semi != Text::npos) line.resize(semi);
        return;
    }
    for (size_t semi = line.rfind(';'); semi != Text::npos && semi > 0;
         semi = line.rfind(';', semi - 1)) {
        size_t before = semi;
        while (before > 0 && static_cast<unsigned char>(line[before - 1]) <= 32) --before;
        if (before > 0 && line[before - 1] == ')') {
            line.resize(semi);
            return;
        }
    }
}

// Trims in place: a reused buffer keeps its storage from line to line.
void TrimInPlace(Text& text) {
    size_t end = text.size();
    while (end > 0 && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
    text.resize(end);
    size_t begin = 0;
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
    text.erase(0, begin);
}

// Buffers of one reading, reused for every line.
struct LineParser {
    TScript& script;
    const ScriptErrorSink& onError;
    Text line, keyword, argument;

    void SplitCommand() {
        argument.clear();
        size_t open = line.find('(');
        if (open == Text::npos || open == 0) {
            keyword = line;
            return;
        }
        keyword.assign(line, 0, open);
        size_t close = line.rfind(')');
        if (close != Text::npos && close > open) argument.assign(line, open + 1, close - open - 1);
        UnquoteArgument(argument);
    }

    void Parse() {
        if (script.GetCopyToUninstall()) {
            script.AddUninstallLine(line);
            return;
        }
        CutTail(line);
        SplitCommand();
        TrimInPlace(keyword);
        for (char& c : keyword) c = UpCaseChar(c);
        if (keyword.empty()) return;
        if (KeywordTable::Apply(script, keyword, argument) != KeywordResult::Stored && onError)
            onError(line + UnrecognizedCommand);
    }
};

} // namespace

void UnquoteArgument(Text& argument) {
    Text& a = argument;
    if (a.size() < 2 || a.front() != '"' || a.back() != '"') return;
    // In place: every test looks at the unchanged character before, kept in previous.
    size_t kept = 0;
    char previous = a[0];
    for (size_t k = 1; k < a.size(); ++k) {
        const char c = a[k];
        if (c != '"' || previous == '"') a[kept++] = c;
        previous = c;
    }
    a.resize(kept);
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
    // Whole-text copies only where the text changes: a script may run to megabytes.
    Text changed;
    const Text* text = &fileText;
    if (IsScrambled(fileText)) {
        changed = ScrambleText(fileText, false);
        text = &changed;
    }
    size_t size = std::min(text->find('\0'), text->size());
    if (text->find("/*") < size) {
        changed = StripBlockComments(text->substr(0, size));
        text = &changed;
        size = changed.size();
    }
    LineParser parser{script, onError, {}, {}, {}};
    Text& line = parser.line;
    size_t start = 0;
    while (start <= size) {
        size_t end = std::min(text->find_first_of("\r\n", start), size);
        line.assign(*text, start, end - start);
        start = end + 1;
        StripLineComment(line);
        TrimInPlace(line);
        if (line.empty() || line[0] == ';') continue;
        parser.Parse();
    }
}

} // namespace zk
