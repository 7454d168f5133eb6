// The writer of the uninstall script: every line of an installation goes through
// TUninstallWriter::AddLine, which appends it to the file at once. A second installation into
// the same folder continues the existing script (plain or scrambled). After every line the
// file on disk is a complete script, so an installation that stops anywhere can be removed as
// far as it got.
#pragma once
#include <functional>
#include <memory>
#include <unordered_set>

#include "SUnLines.h"

namespace zk {

class TUninstallWriter {
  public:
    // enabled: SET_CREATE_UNINSTALL; scrambled: SET_SCRAMBLE_UNINSTALL. scriptPath is asked
    // once, at the first line (or the first HasLine), and kept for the run.
    TUninstallWriter(bool enabled, bool scrambled, std::function<Text()> scriptPath);
    ~TUninstallWriter();
    TUninstallWriter(const TUninstallWriter&) = delete;
    TUninstallWriter& operator=(const TUninstallWriter&) = delete;

    // Appends one line under the line rules. False only when the script could not be written:
    // the installation must then fail (the script is the product's only way out). The file
    // keeps every line written before; later lines are still tried. Lines the rules drop (a
    // duplicate, a second empty line, an empty argument, writing disabled) answer true.
    bool AddLine(const Text& line, bool forced = false);
    // Every line in order; false when any of them failed.
    bool AddLines(const UninstallLines& lines);
    // True when the script (this run's lines or the continued file) holds this line, compared
    // as the duplicate rule compares.
    bool HasLine(const Text& line);

    bool Enabled() const { return enabled_; }
    // A write has failed during this run.
    bool Failed() const { return failed_; }
    // This run made the file (it was not there when the first line came).
    bool MadeFile() const { return started_ && !continued_; }
    // The script's path, fixed at the first line or the first call (also when writing is
    // disabled: the original-info file names it).
    const Text& Path();
    // Releases the file; a later line opens it again.
    void Close();

  private:
    bool Start();
    bool Append(const Text& plainBytes);
    void Remember(const Text& line);

    struct File;
    bool enabled_, scrambled_;
    std::function<Text()> scriptPath_;
    Text path_;
    bool started_ = false, continued_ = false, failed_ = false;
    std::unique_ptr<File> file_;
    std::unordered_set<Text> keys_; // LineKey of every line in the script
    bool anyEmpty_ = false, lastEmpty_ = false;
    unsigned char key_ = 0; // the scrambling key of the file
    size_t plainSize_ = 0;  // payload bytes so far (the position of the next byte minus 1)
};

// Whose a folder is (see FolderOwner); unset: no folder is the product's.
using FolderOwnerProc = std::function<FolderOwner(const Text& folder)>;

// The setup script's own uninstall lines: "<TARGET_DIR>" replaced by targetDir, a forced
// removal of a folder that is not the product's made plain (ScriptUninstallLines), each added
// not forced. False when one could not be written.
bool AddScriptUninstallLines(TUninstallWriter& writer, const TextList& scriptLines,
                             const Text& targetDir, const FolderOwnerProc& ownerOf);

} // namespace zk
