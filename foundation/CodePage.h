// The process's ANSI code page as pure text code needs it: which bytes begin a two-byte
// character (code pages 932, 936, 949, 950), and names in upper case as the file system
// compares them (accented and other non-ASCII letters too). Declared here without windows.h;
// CodePage.cpp answers from the system's tables, a native build links an answer of its own.
#pragma once
#include <string>

namespace zk {

bool IsAnsiLeadByte(unsigned char c);
// Upper case by the system's rules for the code page: "r\xE9sum\xE9" (1252) gives "R\xC9SUM\xC9";
// a two-byte character stays whole.
std::string UpperCaseAnsi(const std::string& text);

} // namespace zk
