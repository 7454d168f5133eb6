// The working copy of "Setup.log" (pure): lines added from the engine's own texts, whose markup
// a leading "\\x" (continue the last line) and "\\t" (a TAB) is read from those texts only;
// the data a line carries (paths, captions, logs) is taken as it stands.
#pragma once
#include "SScript.h"

namespace zk {

class SetupLogLines {
  public:
    // `markup` is a literal of the engine (a pointer, so no run-time text can carry markup);
    // `data` follows it unchanged.
    void Add(const char* markup, const Text& data = {});
    const TextList& Lines() const { return lines_; }
    // The last Add changed the last line instead of adding one.
    bool LastContinued() const { return lastContinued_; }
    // The whole file: every line ended by CR LF.
    Text Bytes() const;

  private:
    TextList lines_;
    bool lastContinued_ = false;
};

// Markup of an engine text: "\\t" becomes a TAB; a leading "\\x" is reported and removed.
Text ExpandLogMarkup(const Text& markup, bool& continues);

} // namespace zk
