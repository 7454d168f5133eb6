// Test support: small picture and sound files built in memory, for the billboards, the
// background and the music, and the settings rows that name them.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

namespace zktest {

std::string Le(uint32_t v, int bytes); // little-endian, `bytes` long
std::string Be(uint32_t v);            // big-endian, 4 bytes

using Pixel = std::function<COLORREF(int x, int y)>;
std::string Bmp(int w, int h, const Pixel& pixel); // 24-bit, bottom-up
std::string Bmp(int w, int h, COLORREF colour);    // of one colour
std::string Png(int w, int h, const Pixel& pixel); // 8-bit RGB
std::string Wav();                                 // three seconds of a tone, 8 kHz mono 8-bit
std::string Midi();                                // one note of a second, format 0

// The music's half-second fade and its stop take less than this, on a busy machine too. A
// player that will not stop is given 2 s beyond the fade.
inline constexpr int FadeAndStopMs = 2400;

// A settings row of 19 items with the given ones set.
std::string Row(std::initializer_list<std::pair<int, const char*>> items);

} // namespace zktest
