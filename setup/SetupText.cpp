#include "SetupText.h"

namespace zk {

bool IsOsAllowedIn(const Text& allowedList, const Text& windowsName) {
    if (allowedList.empty()) return true;
    return Pos("," + windowsName + ",", "," + allowedList + ",") > 0;
}

Text ScriptNotFoundText(const Text& scriptPath) {
    return scriptPath + "\\\\nScript file not found.\\\\n\\\\nSetup Aborted!";
}

Text OsNotAllowedText(const Text& progName, const Text& windowsName) {
    return "\"" + progName + "\" is not allowed to run on Win" + windowsName +
           ". --- Setup Aborted!";
}

Text AdminRightsText() {
    return "Unable to install the program\\\\nMake sure you have ADMINISTRATOR Rights on this PC!";
}

Text DotNetMissingText(const Text& progName) {
    return "\"" + progName +
           "\" requires .NET Framework<P><P>Please install .NET Framework and run this setup "
           "program again";
}

std::vector<Text> SplitCommandArguments(const Text& commandLine) {
    std::vector<Text> args;
    Text current;
    bool inQuotes = false, inArgument = false;
    for (char c : commandLine) {
        if (c == '"') {
            inQuotes = !inQuotes;
            inArgument = true;
        } else if ((c == ' ' || c == '\t') && !inQuotes) {
            if (inArgument) args.push_back(current);
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) args.push_back(current);
    return args;
}

Text OriginalInfoFileValue(const Text& commandLine) {
    static const Text kSwitch = "/OriginalInfoFile=";
    const std::vector<Text> args = SplitCommandArguments(commandLine);
    for (size_t i = 1; i < args.size(); ++i)
        if (StartsText(kSwitch, args[i])) return Trim(args[i].substr(kSwitch.size()));
    return {};
}

bool IsPlainDllName(const Text& name) {
    return NextCharOf(name, "\\/:") == Text::npos && name.find("..") == Text::npos;
}

Text FileNamePartOf(const Text& path) {
    const size_t slash = LastCharOf(path, "\\/:");
    return slash == Text::npos ? path : path.substr(slash + 1);
}

Text FolderPartOf(const Text& path) {
    const size_t slash = LastCharOf(path, "\\/");
    if (slash == Text::npos) return {};
    Text folder = path.substr(0, slash);
    if (folder.size() == 2 && folder[1] == ':') folder += '\\'; // "C:\" keeps its root
    return folder;
}

Text ExtensionOf(const Text& path) {
    const Text name = FileNamePartOf(path);
    const size_t dot = name.rfind('.');
    return dot == Text::npos ? Text() : name.substr(dot);
}

Text ChangeFileExtension(const Text& path, const Text& extension) {
    const Text ext = ExtensionOf(path);
    return path.substr(0, path.size() - ext.size()) + extension;
}

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// End of an unquoted program path: the longest beginning that ends before a blank (or at the
// end) and names an existing file; else the first blank.
size_t UnquotedProgramEnd(const Text& line, const std::function<bool(const Text&)>& fileExists) {
    for (size_t end = line.size(); end > 0; --end) {
        if (end < line.size() && !IsBlank(line[end])) continue;
        if (IsBlank(line[end - 1])) continue;
        if (fileExists && fileExists(line.substr(0, end))) return end;
    }
    const size_t blank = line.find_first_of(" \t");
    return blank == Text::npos ? line.size() : blank;
}

} // namespace

CommandSplit SplitProgramFromCommand(const Text& commandLine,
                                     const std::function<bool(const Text&)>& fileExists) {
    const Text line = Trim(commandLine);
    CommandSplit split;
    size_t end;
    if (!line.empty() && line[0] == '"') {
        const size_t close = line.find('"', 1);
        split.program = line.substr(1, close == Text::npos ? Text::npos : close - 1);
        end = close == Text::npos ? line.size() : close + 1;
    } else {
        end = UnquotedProgramEnd(line, fileExists);
        split.program = line.substr(0, end);
    }
    split.parameters = Trim(line.substr(end));
    return split;
}

Text QuotedCommandLine(const CommandSplit& command) {
    Text line = "\"" + command.program + "\"";
    if (!command.parameters.empty()) line += " " + command.parameters;
    return line;
}

} // namespace zk
