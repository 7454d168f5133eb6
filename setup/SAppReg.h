// The installation step before the first product file: the uninstall script's header, the
// uninstall engine beside it, the product's registration with Windows (Add/Remove entry, its
// cache record, the product key, App Paths) and the original-info file for the auto-update
// program. The steps take what they need from the wizard through an InstallHost.
#pragma once
#include <cstdint>
#include <functional>

#include "SScript.h"
#include "SUnWriter.h"

namespace zk {

// One file for the copy engine to put in place (its InstallFile).
struct InstallFileRequest {
    Text source, target;
    int overwriteMode = 1;
    uint32_t flags = 0;
    bool serviceLine = false;  // a REMOVE_SERVICE_FILE line for the target
    bool removalLines = false; // its REMOVE_FILE (and UNMARK_READONLY_FILE) lines
    bool force = false;        // overwrite whatever the mode says
    bool keepSource = false;   // the engine folder keeps its copy
};
// True when the file is in place (directly or at the next restart).
using InstallFileProc = std::function<bool(const InstallFileRequest&)>;

// What the installation steps take from the wizard.
struct InstallHost {
    const TScript* script = nullptr;
    TUninstallWriter* uninstall = nullptr;
    Text engineDir;                          // the running engine's folder, source of its own files
    Text targetDir, sharedDir, auxiliaryDir; // without trailing backslash
    int64_t requiredSpace = 0;               // bytes, for the Add/Remove cache record
    TextList tickedAssociations;             // association rows ticked on their page
    Text userName, companyName;              // the user-information page's texts
    // The wizard's macro expansion (folder macros with `suffix` after each folder); when
    // unset, ExpandFolderMacros.
    std::function<Text(const Text& text, const Text& suffix)> expandDirMacros;
    std::function<void(const Text& line)> addSetupLogLine; // may be unset: no log
    InstallFileProc installFile;
    // Whose a folder is (the copy engine's judgement); unset: no folder is the product's.
    FolderOwnerProc folderOwner;
    // Setup.log was in the target folder before this run: appended to, and never removed.
    bool setupLogExisted = false;
};

// The owner of a folder by the host; Other without a judge.
FolderOwner OwnerByHost(const InstallHost& host, const Text& folder);

// Host helpers shared by the installation steps.
Text ExpandWithHost(const InstallHost& host, const Text& text, const Text& suffix);
void LogLine(const InstallHost& host, const Text& line);
// False when the script could not be written (the installation must fail).
bool AddUninstall(const InstallHost& host, const Text& line, bool forced = false);
bool AddUninstall(const InstallHost& host, const UninstallLines& lines);

// The header values from the script and the language texts.
UninstallHeaderTexts HeaderTextsOf(const InstallHost& host);

// Header lines, the first removal lines, the uninstall engine and the Add/Remove entry, the
// extension library and delivery files, the rows the uninstallation replays. The engine's
// UnInstall.exe is in place before the entry that starts it is written; when it could not be
// put there, no entry is written. False when the uninstall engine or the extension library
// could not be installed, or a script line could not be written: the installation must stop
// before it changes anything. True with SET_CREATE_UNINSTALL off (nothing to do).
bool WriteUninstallHeader(const InstallHost& host);

// The original-info file: the setup package's INI file, copied into the target folder at the
// first value and filled with values for the auto-update program and a later setup.
class TOriginalInfoFile {
  public:
    // True when the installed copy exists and the value went to it.
    bool WriteValue(const InstallHost& host, const Text& section, const Text& key,
                    const Text& value);
    const Text& Path() const { return path_; } // empty until installed

  private:
    Text path_;
};

// Product key and App Paths (with SET_REGISTER_AS_APPLICATION), the original-info values, the
// auto-update program. False only when a script line could not be written.
bool WriteAppRegistrationAndInfo(const InstallHost& host, TOriginalInfoFile& info);

} // namespace zk
