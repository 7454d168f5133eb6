#include "MediaFiles.h"

#include <zlib.h>

#include <vector>

namespace zktest {

namespace {

std::string PngChunk(const std::string& type, const std::string& body) {
    std::string typed = type + body;
    uLong crc =
        crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()));
    return Be(static_cast<uint32_t>(body.size())) + typed + Be(static_cast<uint32_t>(crc));
}

} // namespace

std::string Le(uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

std::string Be(uint32_t v) {
    std::string s;
    for (int i = 3; i >= 0; --i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

std::string Bmp(int w, int h, const Pixel& pixel) {
    int row = (w * 3 + 3) / 4 * 4;
    std::string data;
    for (int y = h - 1; y >= 0; --y) {
        std::string line;
        for (int x = 0; x < w; ++x) {
            COLORREF c = pixel(x, y);
            line += static_cast<char>(GetBValue(c));
            line += static_cast<char>(GetGValue(c));
            line += static_cast<char>(GetRValue(c));
        }
        data += line + std::string(static_cast<size_t>(row - w * 3), '\0');
    }
    return "BM" + Le(static_cast<uint32_t>(54 + data.size()), 4) + Le(0, 4) + Le(54, 4) +
           Le(40, 4) + Le(static_cast<uint32_t>(w), 4) + Le(static_cast<uint32_t>(h), 4) +
           Le(1, 2) + Le(24, 2) + Le(0, 4) + Le(static_cast<uint32_t>(data.size()), 4) +
           Le(2835, 4) + Le(2835, 4) + Le(0, 4) + Le(0, 4) + data;
}

std::string Bmp(int w, int h, COLORREF colour) {
    return Bmp(w, h, [colour](int, int) { return colour; });
}

std::string Png(int w, int h, const Pixel& pixel) {
    std::string raw;
    for (int y = 0; y < h; ++y) {
        raw += '\0'; // no filter
        for (int x = 0; x < w; ++x) {
            COLORREF c = pixel(x, y);
            raw += static_cast<char>(GetRValue(c));
            raw += static_cast<char>(GetGValue(c));
            raw += static_cast<char>(GetBValue(c));
        }
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &size,
             reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()));
    packed.resize(size);
    std::string header = Be(static_cast<uint32_t>(w)) + Be(static_cast<uint32_t>(h)) +
                         std::string("\x08\x02\x00\x00\x00", 5);
    return std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header) +
           PngChunk("IDAT", packed) + PngChunk("IEND", "");
}

std::string Wav() {
    std::string samples;
    for (int i = 0; i < 8000 * 3; ++i) samples += static_cast<char>(i % 40 < 20 ? 168 : 88);
    return "RIFF" + Le(static_cast<uint32_t>(36 + samples.size()), 4) + "WAVEfmt " + Le(16, 4) +
           Le(1, 2) + Le(1, 2) + Le(8000, 4) + Le(8000, 4) + Le(1, 2) + Le(8, 2) + "data" +
           Le(static_cast<uint32_t>(samples.size()), 4) + samples;
}

std::string Midi() {
    std::string track = std::string("\x00\x90\x3c\x40", 4) +
                        std::string("\x81\x40\x80\x3c\x40", 5) + std::string("\x00\xff\x2f\x00", 4);
    return std::string("MThd") + Be(6) + std::string("\x00\x00\x00\x01\x00\x60", 6) + "MTrk" +
           Be(static_cast<uint32_t>(track.size())) + track;
}

std::string Row(std::initializer_list<std::pair<int, const char*>> items) {
    std::vector<std::string> values(19);
    for (auto& [n, v] : items) values[static_cast<size_t>(n)] = v;
    std::string row = "|";
    for (const std::string& v : values) row += v + "|";
    return row;
}

} // namespace zktest
