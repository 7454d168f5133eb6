// Test support: the sandbox's small drive that fills up (F:, a tmpfs that scripts/sandbox.sh
// mounts when it runs as root), for the failures a full disk brings. Tests that use it hold
// the ctest resource lock "zk_full_drive" and empty it when they are done.
#pragma once
#include <string>

namespace zktest {

// "F:\" when the sandbox has the drive (and it is the small one), else "": the test skips.
std::string FullDriveRoot();
// Empties the drive, then fills it with one file until `leave` bytes (rounded down to whole
// clusters) stay free; false when that could not be done.
bool FillFullDriveLeaving(unsigned long long leave);
// The drive's allocation unit in bytes.
unsigned long long FullDriveCluster();
// Removes everything on the drive.
void EmptyFullDrive();

} // namespace zktest
