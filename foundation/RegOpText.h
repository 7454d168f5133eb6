// The pure-text half of the registry, INI and environment rows and of product registration
// (no windows.h): number and path texts, the rows' action words, hex data, %NAME% expansion,
// environment list edits, AUTOEXEC.BAT SET lines, association commands and extensions.
#pragma once
#include "Utils.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zk {

// --- Registry paths and values. ---

// True when a subkey names no key below its root: empty, or only blanks and backslashes. A
// tree delete of such a path would empty the whole root.
bool IsRootOnlySubkey(const Text& subkey);
// The subkey without leading and trailing backslashes.
Text TrimBackslashes(const Text& subkey);
// A REG_DWORD from decimal text (optional blanks and sign); 0 for anything else. Negative
// numbers wrap to their 32-bit pattern.
uint32_t DwordOfText(const Text& text);
// The empty value name for "(Default)" in any case.
Text RegValueNameOf(const Text& name);

// --- Product registration. ---

// A path holding a blank in double quotes (a blank in an unquoted command lets Windows start
// a shorter program, C:\Program.exe); already quoted or blank-free text stays as it is.
Text QuoteIfBlank(const Text& path);
// One pair of enclosing double quotes removed.
Text StripQuotes(const Text& text);
// The last path component (after the last "\" or ":").
Text FileNameOfPath(const Text& path);
// The folder of a path without a trailing backslash ("C:\app.exe" gives "C:").
Text FolderOfPath(const Text& path);

// The cache record is written on Windows 2000, XP and later only.
bool ArpCacheWanted(const Text& windowsName);
constexpr size_t ArpCacheRecordSize = 552;
constexpr size_t ArpCachePathChars = 261; // without the terminating zero
// The 552-byte record (little-endian); empty when the path does not fit.
std::string ArpCacheRecord(const std::u16string& programPath, int64_t installSize,
                           uint64_t lastUsedFileTime);

// --- Operation rows. ---

enum class RegistryOpAction { Nothing, Create, RemoveKey, RemoveValue };
RegistryOpAction RegistryOpActionOf(const Text& word);
enum class EnvironmentOpAction { Nothing, Create, Append, Remove };
EnvironmentOpAction EnvironmentOpActionOf(const Text& word);
// The action field of a row: `installField` when installing, else the next field.
Text RowAction(const Text& row, int installField, int installMode);

// "0a,FF,10" as bytes: exactly two hex digits per byte, one comma between bytes; "" is no
// bytes. False for anything else.
bool HexListToBytes(const Text& data, std::string& bytes);

// One left-to-right pass: %NAME% becomes lookup(NAME) when that is not empty; unresolved
// references and lone "%" signs are copied as written, and inserted text is not rescanned.
Text ExpandPercentText(const Text& text, const std::function<Text(const Text&)>& lookup);

bool IsPathVariable(const Text& name);
// PATH: the addition as a new ";" item unless it is one already (items trimmed, case
// ignored), runs of ";" collapsed. Other names: appended unless already contained.
Text AppendEnvironmentText(const Text& name, const Text& current, const Text& addition);
// PATH: every ";" item equal to `part` (trimmed, case ignored) removed. Other names: the first
// case-insensitive occurrence removed. The rest is trimmed; false when nothing matched.
bool RemoveEnvironmentText(const Text& name, const Text& current, const Text& part, Text& rest);

// AUTOEXEC.BAT: every "SET name=" line (blanks ignored, case ignored) removed, then
// "SET name=value" appended when value is not empty. CR and LF are stripped from name and
// value. False when nothing changed.
bool EditAutoexecSet(Text& fileText, const Text& name, const Text& value);
// The value of the last "SET name=" line (blanks around it trimmed); false when there is none.
bool FindAutoexecSet(const Text& fileText, const Text& name, Text& value);

// --- Associations and Open With. ---

// "txt" and ".txt" both give ".txt"; "" stays "".
Text NormalizeExtension(const Text& extension);
// The command in double quotes unless it starts with one, then "%1" in quotes appended
// unless it holds one.
Text QuoteOpenCommand(const Text& command);
// "*.txt; .log,doc" gives .txt, .log, .doc: items split at "," and ";", "*" dropped, trimmed,
// leading dots replaced by one. Items that name no extension are left out.
std::vector<Text> OpenWithExtensionList(const Text& list);

} // namespace zk
