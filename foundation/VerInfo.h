// Version resources of files: the "FileVersion" string and its normalised form.
#pragma once
#include "Utils.h"
#include "VersionText.h"

#include <vector>

namespace zk {

class TVersionInfo {
  public:
    explicit TVersionInfo(const Text& path);
    bool Valid() const { return !block_.empty(); }
    // Length of the value at the sub-block path (0 when absent); value points into the block.
    unsigned QueryVersionValue(const Text& subBlock, void** value) const;
    // The first non-empty string value of that name over the translations, in their order.
    Text GetVersionString(const Text& name) const;
    // Language then code page, four upper-case hex digits each ("040904E4").
    const std::vector<Text>& TranslationKeys() const { return keys_; }
    const std::vector<Text>& LanguageNames() const { return languages_; }

  private:
    void ReadTranslations();
    std::vector<char> block_;
    std::vector<Text> keys_, languages_;
};

// NormalizeVersionText of the file's "FileVersion"; empty without a readable resource.
Text GetFileVersionText(const Text& path, int width);

} // namespace zk
