// What the user sees around the copy: the copy bar with its billboards, and the music.
#include "SDialog.h"

namespace zk {

void TSDialogForm::ShowCopyBar() {}

void TSDialogForm::FreeCopyBar() {}

bool TSDialogForm::HasCopyBar() const { return false; }

void TSDialogForm::CloseCopyBar() {}

bool TSDialogForm::IsCopyBarCancelled() const { return false; }

HWND TSDialogForm::CopyProgressBar() const { return ProgressBar1; }

void TSDialogForm::StartBackgroundMusic(Text& musicPath, int& savedBarWidth) {
    musicPath.clear();
    savedBarWidth = 0;
}

void TSDialogForm::StopBackgroundMusic(int) {}

} // namespace zk
