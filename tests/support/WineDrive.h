// A drive letter defined for the length of a test through Wine's mount manager (live, as its
// configuration tool does it): a network drive on a folder, or a drive without its medium.
#pragma once
#include <string>

namespace zktest {

class WineDrive {
  public:
    // `type` as GetDriveType reports it; an empty folder: a drive with no medium in it.
    WineDrive(const std::string& folder, unsigned type);
    ~WineDrive();
    WineDrive(const WineDrive&) = delete;
    WineDrive& operator=(const WineDrive&) = delete;
    // "N:", or "" when no drive could be defined.
    std::string Root() const { return letter_ ? std::string(1, char(letter_ - 32)) + ":" : ""; }

  private:
    char letter_ = 0;
};

} // namespace zktest
