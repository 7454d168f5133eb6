// Text and list helpers: pure 8-bit text code (no windows.h). Positions are 1-based, 0 is
// "not found"; list items are 0-based. Case folding touches the letters a-z only.
#pragma once
#include "CodePage.h"

#include <cstdint>
#include <string>

namespace zk {

using Text = std::string;

// --- DelimitedList: "|a|b|c|", the first character is the delimiter. ---
int ListCount(const Text& list);
Text ListItem(const Text& list, int n);
// Cursor 0 stands before the first item and is 0 again once the list is exhausted.
void ListNextItem(const Text& list, int& cursor, Text& item);
void ListSetItem(Text& list, int n, const Text& value);
int ListIndexOf(const Text& list, const Text& sought);

// --- Search, compare and edit. ---
inline int LesserInt(int a, int b) {
    return a < b ? a : b;
}
inline int GreaterInt(int a, int b) {
    return a > b ? a : b;
}
char UpCaseChar(char c);
Text UpperCase(const Text& s);
Text LowerCase(const Text& s);
Text Trim(const Text& s);
Text TrimLeft(const Text& s);
Text TrimRight(const Text& s);
bool TextEquals(const Text& a, const Text& b);
bool StartsText(const Text& prefix, const Text& text);
int Pos(const Text& pattern, const Text& text);
int PosText(const Text& pattern, const Text& text);
int PosFrom(const Text& pattern, const Text& text, int start);
int PosFromText(const Text& pattern, const Text& text, int start);
int LastPos(const Text& pattern, const Text& text);
int EndPosText(const Text& pattern, const Text& text);
Text ReversedText(const Text& text);
Text TextBefore(const Text& text, const Text& separator);
Text TextAfter(const Text& text, const Text& separator);
Text PadRight(const Text& text, int width, char fill);
Text ZeroPadLeft(const Text& text, int width);
Text ReplaceAll(const Text& text, const Text& pattern, const Text& replacement);
Text ReplaceAllSafe(const Text& text, const Text& pattern, const Text& replacement);
Text ReplaceAllText(const Text& text, const Text& pattern, const Text& replacement);
Text BoolToText(int value);
char BoolToDigit(bool value);
int64_t BaseTextToInt64(const Text& text, int base);
int32_t HexToInt(const Text& text);

// --- Paths are cut by character, not by byte: in a two-byte code page a "\\" (0x5C) may be the
// second byte of a character ("\x94\x5C" is one character of code page 932), which is no
// separator. Positions are 0-based here, npos for none; `lead` tells the code page. ---
using LeadByteTest = bool (*)(unsigned char c);
// The last character of text that is one of chars.
size_t LastCharOf(const Text& text, const char* chars, LeadByteTest lead = IsAnsiLeadByte);
// The first character of text at or after position from that is one of chars.
size_t NextCharOf(const Text& text, const char* chars, size_t from = 0,
                  LeadByteTest lead = IsAnsiLeadByte);
// The text ends with the character c (and not with a two-byte character whose second byte is c).
bool EndsWithChar(const Text& text, char c, LeadByteTest lead = IsAnsiLeadByte);

// Integer settings: optional blanks, optional sign, decimal digits or hex after "$", "x" or
// "0x"; nothing may follow. The signed value must fit in 32 bits (hex ones too: $80000000 does
// not, -$80000000 does); anything else gives the default.
int StrToIntDef(const Text& text, int def);
Text IntToStr(int64_t value);

} // namespace zk
