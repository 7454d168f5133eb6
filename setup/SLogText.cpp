#include "SLogText.h"

namespace zk {

Text ExpandLogMarkup(const Text& markup, bool& continues) {
    static const Text kContinue = "\\\\x";
    continues = markup.compare(0, kContinue.size(), kContinue) == 0;
    return ReplaceAllSafe(continues ? markup.substr(kContinue.size()) : markup, "\\\\t", "\t");
}

void SetupLogLines::Add(const char* markup, const Text& data) {
    bool continues = false;
    const Text line = ExpandLogMarkup(markup ? markup : "", continues) + data;
    lastContinued_ = continues && !lines_.empty();
    if (lastContinued_)
        lines_.back() += line;
    else
        lines_.push_back(line);
}

Text SetupLogLines::Bytes() const {
    Text bytes;
    for (const Text& line : lines_) bytes += line + "\r\n";
    return bytes;
}

} // namespace zk
