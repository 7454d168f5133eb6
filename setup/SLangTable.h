// The parser of a LanguageFile (and of the built-in English text). Pure text (no windows.h).
#pragma once
#include <unordered_map>

#include "Utils.h"

namespace zk {

// One LanguageFile: INI sections and keys, matched without regard to case; the first line of
// a key and the first section of a name win; values are trimmed and taken as they stand.
class TLangTable {
  public:
    TLangTable() = default;
    explicit TLangTable(const Text& text);
    bool Find(const Text& section, const Text& key, Text& value) const;

  private:
    std::unordered_map<Text, Text> values_; // "SECTION\nKEY" in upper case
};

} // namespace zk
