#include "SScript.h"

#include "SFileItem.h"

#include <utility>

namespace zk {

bool TScript::AddGroup(const Text& row) {
    bool flushed = SetSubDir(Text());
    fileGroups_.push_back(FileGroup{row, {}});
    return flushed;
}

bool TScript::SetSubDir(const Text& folder) {
    bool kept = true;
    if (subDirPending_ && !subDir_.empty()) kept = AddCopyFiles(Text());
    if (folder.empty()) return kept;
    if (folder.find("<Common Folder>") != Text::npos) usesCommonFolder_ = true;
    if (folder.find("<Auxiliary Folder>") != Text::npos) usesAuxiliaryFolder_ = true;
    subDir_ = folder;
    subDirPending_ = true;
    return kept;
}

bool TScript::AddCopyFiles(const Text& files) {
    subDirPending_ = false;
    // A row needs a group; the script is broken there and the row is dropped, not guessed.
    if (fileGroups_.empty()) return false;
    Text row = IntToStr(overwriteFlag_);
    row.reserve(row.size() + subDir_.size() + files.size() + 2);
    row.append(1, '|').append(subDir_).append(1, '|').append(files);
    fileGroups_.back().entries.push_back(std::move(row));
    for (const FileItem& item : ParseFileList(files)) ++sourceFileUses_[SourceFileKey(item.name)];
    return true;
}

bool TScript::SetPageList(const Text& pages) {
    pageList_ = "," + pages + ",";
    return true;
}

bool TScript::SetCopyToUninstall(const Text&) {
    copyToUninstall_ = true;
    return true;
}

void TScript::SelectPage(const Text& name) {
    int index = ListIndexOf(pageList_, name);
    pageIndex_ = index < 0 ? 0 : index;
}

Text TScript::GetCurrentPage() const {
    return Trim(ListItem(pageList_, pageIndex_));
}

bool TScript::HasPage(const Text& text) const {
    return PosText(text, pageList_) > 0;
}

bool TScript::ReleaseFileName(const Text& path) {
    auto it = sourceFileUses_.find(SourceFileKey(path));
    if (it == sourceFileUses_.end()) return false;
    if (--it->second > 0) return true;
    sourceFileUses_.erase(it);
    return false;
}

} // namespace zk
