// The per-file flag word of a setup script's file entry, the source-file number prefix, and
// the disk space the installation announces it needs (pure text: no windows.h).
#pragma once
#include "Utils.h"

#include <cstdint>

namespace zk {

using FileFlags = uint32_t;

bool FileFlagShared(FileFlags flags);
bool FileFlagRegister(FileFlags flags);
bool FileFlagKeep(FileFlags flags);
bool FileFlagSkipPartial(FileFlags flags);
uint32_t FileFlagAttributes(FileFlags flags); // read-only 0x01, hidden 0x02, archive 0x20
bool FileFlagReadOnly(FileFlags flags);
uint32_t FileFlagOSMask(FileFlags flags); // WindowsMask of the systems that skip the file
int FileFlagOverwriteMode(FileFlags flags);
bool FileFlagFont(FileFlags flags);
// windowsMask: GetWindowsMask() of the running system; 0 (a system after XP) skips nothing.
bool FileSkippedOnThisOS(FileFlags flags, uint32_t windowsMask);

bool IsRegistrableFile(const Text& path);
// "C:\a\00012#setup.exe" -> "C:\a\setup.exe"; a bare name comes back bare.
Text StripFileNumberPrefix(const Text& path);

// --- RequiredSpace: bytes the installation needs, and the base that "!" restores. ---
enum SpaceUnit { SpaceBytes = 0, SpaceKilobytes = 1, SpaceMegabytes = 2 };

long double SpaceToBytes(int unit, long double value);
long double GetSpaceRequired(int unit);
void SetSpaceBase(int unit, long double value);
// Numbers take "." as decimal separator always and the user's own (passed in) as well.
void SetSpaceRequired(const Text& text, int unit, char localeSeparator);
void AddSpaceRequired(const Text& text, int unit, char localeSeparator);
// The parser behind both: false when the text (blanks trimmed) is no decimal number.
bool ParseSpaceNumber(const Text& text, char localeSeparator, long double& value);

} // namespace zk
