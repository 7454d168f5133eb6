// Fuzz target: any bytes as "Setup.txt". Besides the sanitizers it checks that a plain script
// and its scrambled twin read alike, that the one-pass block-comment removal equals the rule
// as written, and that the page list and file names stay in bounds.
#include "SScriptRead.h"
#include "Scramble.h"

#include <cstdint>
#include <cstdlib>

using namespace zk;

namespace {

// What a reading produced, in one text, to compare two readings.
Text Digest(const TScript& s, const TextList& boxes) {
    Text d = s.GetProgName() + '\x01' + s.GetPageList() + '\x01' + IntToStr(s.GetLangFlag()) +
             '\x01' + IntToStr(s.GetOverwriteFlag()) + '\x01' +
             IntToStr(s.GetGlobalOverwriteFlag());
    for (const FileGroup& g : s.GetFileGroups()) {
        d += '\x02' + g.row;
        for (const Text& e : g.entries) d += '\x03' + e;
    }
    for (const Text& line : s.GetUninstallLines()) d += '\x04' + line;
    for (const Text& box : boxes) d += '\x05' + box;
    return d;
}

Text ReadDigest(const Text& text, TScript& script) {
    TextList boxes;
    ReadScriptText(script, text, [&](const Text& m) { boxes.push_back(m); });
    return Digest(script, boxes);
}

// The block-comment rule as written: restart from the top after every removal (quadratic).
Text StripBlockCommentsSlowly(Text text) {
    while (true) {
        size_t open = text.find("/*");
        if (open == Text::npos) return text;
        size_t close = text.find("*/", open + 1);
        if (close == Text::npos) return text;
        text.erase(open, close + 2 - open);
    }
}

void WalkPages(TScript& s) {
    for (int index : {-2, -1, 0, 1, 2, 1 << 20}) {
        s.SetPageIndex(index);
        (void)s.GetCurrentPage();
    }
    s.SelectPage(s.GetProgName());
    (void)s.HasPage(s.GetCompanyName());
    for (const FileGroup& g : s.GetFileGroups())
        for (const Text& e : g.entries) (void)s.ReleaseFileName(e);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Text input(reinterpret_cast<const char*>(data), size);
    TScript plain;
    const Text digest = ReadDigest(input, plain);
    if (!IsScrambled(input)) {
        TScript twin;
        if (ReadDigest(ScrambleText(input, true), twin) != digest) abort();
    }
    if (StripBlockComments(input) != StripBlockCommentsSlowly(input)) abort();
    WalkPages(plain);
    return 0;
}
