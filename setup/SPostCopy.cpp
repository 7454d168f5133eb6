#include "SPostCopy.h"

#include <windows.h>

#include <algorithm>
#include <unordered_set>

#include "Process.h"
#include "RegOp.h"
#include "RegSvr.h"
#include "UtilPlus.h"

namespace zk {

namespace {

constexpr UINT FontChangeWaitMs = 1000;

bool IsFile(const Text& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsDir(const Text& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

Text WithoutTrailingBackslash(Text path) {
    while (EndsWithChar(path, '\\')) path.pop_back();
    return path;
}

Text Framed(const Text& row) {
    return "|" + row + "|";
}

bool IsUrl(const Text& target) {
    for (const char* prefix : {"http:", "ftp:", "www.", "mailto:"})
        if (StartsText(prefix, target)) return true;
    return false;
}

// ---------------------------------------------------------------- shortcuts

struct LocationWord {
    const char* word;
    int location;
};
constexpr LocationWord LocationWords[] = {
    {"<Desktop>", 0}, {"<Start Menu>", 1},   {"<Startup>", 3},
    {"<Send To>", 5}, {"<Quick Launch>", 6},
};

int LocationOf(const Text& word) {
    for (const LocationWord& w : LocationWords)
        if (TextEquals(word, w.word)) return w.location;
    return 2;
}

// Levels of a sub-folder, "/" taken as "\", empty levels left out.
TextList LevelsOf(const Text& subFolder) {
    TextList levels;
    for (size_t start = 0; start <= subFolder.size();) {
        const size_t end = std::min(NextCharOf(subFolder, "\\/", start), subFolder.size());
        const Text level = Trim(subFolder.substr(start, end - start));
        if (!level.empty()) levels.push_back(level);
        start = end + 1;
    }
    return levels;
}

bool HasLinkExtension(const Text& path) {
    const Text lower = LowerCase(path);
    return lower.size() > 4 && (lower.compare(lower.size() - 4, 4, ".lnk") == 0 ||
                                lower.compare(lower.size() - 4, 4, ".url") == 0);
}

// One run of the shortcut step: the folders it made, so that only those are removed with
// their contents.
class ShortcutRun {
  public:
    ShortcutRun(const InstallHost& host, const PostCopyHost& post, TOriginalInfoFile& info)
        : host_(host), post_(post), info_(info), script_(*host.script),
          allUsers_(script_.GetAllUsers() && !IsWin9x() && IsUserAdmin()) {}

    bool Written() const { return written_; }

    // The link file made, "" when none was.
    Text Make(LinkRequest r) {
        r.allUsers = allUsers_;
        const TextList newFolders = MissingFolders(r);
        const Text path = post_.createLink ? post_.createLink(r) : Text();
        if (!HasLinkExtension(path) || !IsFile(path)) return {};
        for (const Text& f : newFolders) created_.insert(UpperCase(f));
        return path;
    }

    void RemoveLine(const Text& command, const Text& argument) {
        written_ = AddUninstall(host_, CommandLine(command, argument)) && written_;
    }

    // The script's rows, the main row first.
    void ProgramRows() {
        LogLine(host_, "Create Start/Program Link(s):");
        TextList rows = {
            "|" + script_.GetStartProgramLinkName() + "|" + script_.GetProgExeName() + "||" +
            script_.GetStartProgramLinkParam() + "|" + script_.GetStartProgramLinkWorkDir() + "|" +
            script_.GetStartProgramLinkRun() + "|" + script_.GetStartProgramLinkIconFile() + "|" +
            script_.GetStartProgramLinkIconNum() + "|"};
        for (const Text& item : script_.GetProgramGroupItems()) rows.push_back(Framed(item));
        for (const Text& row : rows) ProgramRow(row);
    }

    void OptionalLinks() {
        struct Optional {
            const OptionalLink& link;
            const char* heading;
            int location;
            bool reported; // logs OK or FAILED after the link
        };
        const Optional optionals[] = {
            {post_.startMenu, "Create Start Menu Link:", 1, false},
            {post_.desktop, "Create Desktop Link:", 0, false},
            {post_.sendTo, "Create SendTo Link:", 5, true},
            {post_.startUp, "Create StartUp Link:", 3, true},
            {post_.quickLaunch, "Create Quick Launch Link:", 6, true},
        };
        for (const Optional& o : optionals) {
            if (!o.link.ticked) continue;
            LogLine(host_, o.heading);
            LinkRequest r = ProgramLink(o.link.name);
            r.location = o.location;
            if (r.name.empty() || !IsLinkTargetValid(r.target)) continue;
            LogLine(host_, "  " + r.name + "  (" + r.target + ")");
            const Text path = Make(r);
            if (!path.empty()) RemoveLine("REMOVE_FILE", path);
            if (o.reported) LogLine(host_, path.empty() ? "\\\\x ... FAILED" : "\\\\x ... OK");
        }
    }

    void AutoUpdateLink() {
        if (!script_.GetRunAutoUpdateAtStartup()) return;
        LinkRequest r;
        r.location = 3;
        r.target = FixSlash(host_.targetDir, true) + script_.GetAutoUpdateExeFileName();
        r.arguments = "/DELAY=120";
        r.workDir = host_.targetDir;
        r.showCommand = 0;
        r.name = script_.GetProgName() + " - Auto Update";
        LogLine(host_, "Create AutoUpdate link at StartUp:");
        if (!IsLinkTargetValid(r.target)) return;
        LogLine(host_, "  " + r.name + "  (" + r.target + ")");
        const Text path = Make(r);
        // Quoted: a target folder with a blank would start another program.
        if (post_.setPostSetupCommand)
            post_.setPostSetupCommand("\"" + r.target + "\" " + r.arguments);
        if (path.empty()) return;
        RemoveLine("REMOVE_FILE", path);
        info_.WriteValue(host_, "UnInstall", "StartUpLink", path);
    }

  private:
    Text Expand(const Text& text) const { return ExpandWithHost(host_, text, "\\"); }

    // The program's own link settings under a name.
    LinkRequest ProgramLink(const Text& name) const {
        LinkRequest r;
        r.name = name;
        r.target = Expand(script_.GetProgExeName());
        r.arguments = Expand(script_.GetStartProgramLinkParam());
        r.workDir = WithoutTrailingBackslash(Expand(script_.GetStartProgramLinkWorkDir()));
        r.showCommand = WindowStateToShowCmd(script_.GetStartProgramLinkRun());
        r.iconFile = Expand(script_.GetStartProgramLinkIconFile());
        r.iconIndex = StrToIntDef(script_.GetStartProgramLinkIconNum(), 0);
        return r;
    }

    Text SubFolderOf(const Text& field) const {
        if (!field.empty() && field[0] == '\\') return field.substr(1);
        if (field.empty() || TextEquals(field, script_.GetStartProgramLinkFolder()))
            return post_.programGroup;
        return post_.programGroup + "\\" + field;
    }

    void ProgramRow(const Text& row) {
        LinkRequest r;
        r.name = ListItem(row, 0);
        r.target = Expand(ListItem(row, 1));
        r.arguments = Expand(ListItem(row, 3));
        r.workDir = WithoutTrailingBackslash(Expand(ListItem(row, 4)));
        r.showCommand = WindowStateToShowCmd(ListItem(row, 5));
        r.iconFile = Expand(ListItem(row, 6));
        r.iconIndex = StrToIntDef(ListItem(row, 7), 0);
        const Text where = ListItem(row, 2);
        r.location = LocationOf(where);
        if (r.location == 2) r.subFolder = SubFolderOf(where);
        if (r.name.empty() || !IsLinkTargetValid(r.target)) return;
        LogLine(host_, "  " + r.subFolder + "\\" + r.name + "  (" + r.target + ")");
        const Text path = Make(r);
        if (path.empty()) return;
        if (path.find("Check for New Update.lnk") != Text::npos)
            info_.WriteValue(host_, "UnInstall", "CheckforNewUpdateLink", path);
        RemoveLine("REMOVE_FILE", path);
        if (!r.subFolder.empty()) FolderLines(FolderOfPath(path), r.subFolder);
    }

    // Whose a shortcut folder is: made by this run, by an earlier one whose script this one
    // continues (its line is there without an excuse), or someone else's ("Accessories").
    FolderOwner OwnerOf(const Text& folder) const {
        if (created_.count(UpperCase(WithoutTrailingBackslash(folder))))
            return FolderOwner::ThisRun;
        const auto has = [&](const char* command) {
            return host_.uninstall && host_.uninstall->HasLine(CommandLine(command, folder));
        };
        if (has("FORCE_REMOVE_FOLDER") || (has("REMOVE_FOLDER") && !has("AVOID_ERR_REMOVE_DIR")))
            return FolderOwner::EarlierRun;
        return FolderOwner::Other;
    }

    // A folder that is not the product's may stay with others' links in it: no error then.
    void FolderLine(const char* command, const Text& folder) {
        const FolderOwner owner = OwnerOf(folder);
        RemoveLine(command, folder);
        if (owner == FolderOwner::Other) RemoveLine("AVOID_ERR_REMOVE_DIR", folder);
    }

    // The link's folder, then one line per level above it up to the first level.
    void FolderLines(const Text& folder, const Text& subFolder) {
        const bool force = script_.GetForceRemoveShortcutFolder() &&
                           created_.count(UpperCase(WithoutTrailingBackslash(folder)));
        FolderLine(force ? "FORCE_REMOVE_FOLDER" : "REMOVE_FOLDER", folder);
        const TextList levels = LevelsOf(subFolder);
        Text parent = folder;
        for (size_t i = levels.size(); i-- > 1;) {
            const Text upper = UpperCase(parent), level = "\\" + UpperCase(levels[i]);
            size_t cut = upper.rfind(level);
            // A match must start at a backslash of its own, not at a character's second byte.
            while (cut != Text::npos && NextCharOf(parent, "\\", cut) != cut)
                cut = cut == 0 ? Text::npos : upper.rfind(level, cut - 1);
            if (cut == Text::npos) return;
            parent = parent.substr(0, cut);
            FolderLine("REMOVE_FOLDER", parent);
        }
    }

    // The levels of the link's folder that are not there yet, as far as the shell folder is
    // known.
    TextList MissingFolders(const LinkRequest& r) const {
        TextList missing;
        if (!post_.shellFolder) return missing;
        Text folder = WithoutTrailingBackslash(post_.shellFolder(r.location, r.allUsers));
        if (folder.empty()) return missing;
        for (const Text& level : LevelsOf(r.subFolder)) {
            folder += "\\" + level;
            if (!IsDir(folder)) missing.push_back(folder);
        }
        return missing;
    }

    const InstallHost& host_;
    const PostCopyHost& post_;
    TOriginalInfoFile& info_;
    const TScript& script_;
    const bool allUsers_;
    std::unordered_set<Text> created_;
    bool written_ = true;
};

} // namespace

int WindowStateToShowCmd(const Text& state) {
    if (state == "Minimized") return 7;
    if (state == "Maximized") return 3;
    return 1;
}

bool IsLinkTargetValid(const Text& target) {
    if (target.empty()) return false;
    if (GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES || IsUrl(target)) return true;
    if (NextCharOf(target, "\\") != Text::npos) return false;
    return PosText(".exe", target) > 0;
}

void ApplyRegistryOps(const InstallHost& host) {
    for (const Text& item : host.script->GetRegistryRows()) {
        const Text row = Framed(item);
        PerformRegistryOp(ExpandWithHost(host, row, "\\"), 1);
        Text line = "RegistryOp: " + ListItem(row, 3) + "  " + ListItem(row, 0);
        if (!ListItem(row, 1).empty()) line += "\\" + ListItem(row, 1);
        if (!ListItem(row, 2).empty()) line += "=" + ListItem(row, 2);
        LogLine(host, line);
    }
}

void ApplyIniFileOps(const InstallHost& host) {
    for (const Text& item : host.script->GetIniRows()) {
        const Text row = Framed(item);
        PerformIniFileOp(ExpandWithHost(host, row, "\\"), 1);
        LogLine(host, "IniFileOp: " + ListItem(row, 4) + "  " + ListItem(row, 0) + "  [" +
                          ListItem(row, 1) + "] " + ListItem(row, 2) + "=" + ListItem(row, 3));
    }
}

// An undo line only for a row that changed the stored value: an Append of an item already
// there would otherwise have its Remove take the user's own item away.
static bool ChangeEnvironment(const Text& row) {
    bool changed = false;
    return PerformEnvironmentOp(row, 1, &changed) && changed;
}

bool ApplyEnvironmentOps(const InstallHost& host, const PostCopyHost& post) {
    bool written = true, any = false;
    for (const Text& item : host.script->GetEnvironmentRows()) {
        const Text row = Framed(item);
        const Text expanded = ExpandWithHost(host, row, "");
        const bool changed =
            post.environmentOp ? post.environmentOp(expanded) : ChangeEnvironment(expanded);
        LogLine(host, "EnvironmentOp: " + ListItem(row, 0) + "=" + ListItem(row, 1));
        if (!changed) continue;
        written = AddUninstall(host, RowCommandLine("SET_PERFORM_ENVIRONMENT_OP", item)) && written;
        any = true;
    }
    if (any) written = AddUninstall(host, "", true) && written;
    return written;
}

void ApplyAssociations(const InstallHost& host) {
    bool any = false;
    for (const Text& row : host.tickedAssociations) {
        if (!PerformAssociationOp(ExpandWithHost(host, row, "\\"), 1)) continue;
        LogLine(host, "Associate: " + ListItem(row, 0));
        any = true;
    }
    if (any) NotifyAssociationsChanged();
}

void ApplyOpenWith(const InstallHost& host) {
    const TScript& s = *host.script;
    if (!s.GetOpenWith()) return;
    if (RegisterOpenWithVerb(s.GetOpenWithName(), s.GetOpenWithMenuText(),
                             ExpandWithHost(host, s.GetProgExeName(), "\\"), true,
                             s.GetOpenWithExtensions()))
        LogLine(host, "OpenWith: " + s.GetOpenWithMenuText());
}

bool CreateShortcuts(const InstallHost& host, const PostCopyHost& post, TOriginalInfoFile& info) {
    ShortcutRun run(host, post, info);
    run.ProgramRows();
    run.OptionalLinks();
    run.AutoUpdateLink();
    return run.Written();
}

// Each undo line comes before its change: a run killed in between leaves nothing that no
// line undoes (the uninstaller takes an undo of what was never made as done).
bool RegisterComServers(const InstallHost& host, const TextList& comFiles) {
    bool written = true;
    for (const Text& file : comFiles) {
        if (AddUninstall(host, CommandLine("UN_REG_OCX_FILE", file)))
            RegisterServerFile(file, true);
        else
            written = false;
    }
    return written;
}

bool InstallFonts(const InstallHost& host, const TextList& fontFiles) {
    bool written = true;
    for (const Text& file : fontFiles) {
        if (AddUninstall(host, CommandLine("UN_REG_FONT_FILE", file)))
            AddFontResourceA(file.c_str());
        else
            written = false;
    }
    if (!fontFiles.empty()) {
        DWORD_PTR answer;
        SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, FontChangeWaitMs,
                            &answer);
    }
    return written;
}

bool ApplyUserInfoKey(const InstallHost& host) {
    const TScript& s = *host.script;
    const Text key = UserInfoKeyOf(s.GetCompanyName(), s.GetProgName(), s.GetProgVersion());
    if (key.empty()) return true;
    const TextList parents = MissingParentKeys(key);
    if (!AddUninstall(host, CommandLine("REMOVE_REG_KEY", key))) return false;
    for (const Text& parent : parents)
        if (!AddUninstall(host, CommandLine("REMOVE_EMPTY_REG_KEY", parent))) return false;
    WriteUserInfoKey(s.GetCompanyName(), s.GetProgName(), s.GetProgVersion(),
                     StripLineBreaks(host.userName), StripLineBreaks(host.companyName));
    return true;
}

bool ApplyPostCopyChanges(const InstallHost& host, const PostCopyHost& post,
                          TOriginalInfoFile& info) {
    ApplyRegistryOps(host);
    ApplyIniFileOps(host);
    bool written = ApplyEnvironmentOps(host, post);
    ApplyAssociations(host);
    ApplyOpenWith(host);
    written = CreateShortcuts(host, post, info) && written;
    written = RegisterComServers(host, post.comFiles) && written;
    written = InstallFonts(host, post.fontFiles) && written;
    written = ApplyUserInfoKey(host) && written;
    if (host.uninstall)
        written = AddScriptUninstallLines(*host.uninstall, host.script->GetUninstallLines(),
                                          host.targetDir, host.folderOwner) &&
                  written;
    return written;
}

} // namespace zk
