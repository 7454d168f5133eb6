// The payload trees of the copy and install benches: files in folders d0, d1 ... of a source
// folder (one copy row each), stored or as zlib streams, and the plain program that copies and
// inflates such a tree with the system's CopyFile and InflateFile, nothing else.
#pragma once

#include "Files.h"
#include "Handles.h"
#include "ZLibOpen.h"

#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace zkbench {

using zk::Text;

// Text lines, noise and tables in turn, so the streams hold stored and packed blocks.
inline void Fill(std::vector<unsigned char>& b, uint32_t& seed) {
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (size_t i = 0; i < b.size();) {
        switch (next() % 3) {
        case 0:
            for (int k = 0; k < 4096 && i < b.size(); ++k)
                b[i++] = static_cast<unsigned char>(next());
            break;
        case 1: {
            char line[96];
            int n = snprintf(line, sizeof line, "Line %u of the readme: copy %u files\r\n", next(),
                             next() % 1000);
            for (int r = 0; r < 64; ++r)
                for (int k = 0; k < n && i < b.size(); ++k)
                    b[i++] = static_cast<unsigned char>(line[k]);
            break;
        }
        default:
            for (int k = 0; k < 4096 && i < b.size(); ++k)
                b[i++] = (k % 64 < 8) ? static_cast<unsigned char>(next()) : 0;
        }
    }
}

inline bool WriteAll(HANDLE h, const void* p, size_t n) {
    DWORD put = 0;
    return WriteFile(h, p, static_cast<DWORD>(n), &put, nullptr) && put == n;
}

// Deflates n bytes into `out` through the buffer `room`; flush Z_FINISH ends the stream.
inline bool DeflateInto(z_stream& s, const unsigned char* data, size_t n, int flush, HANDLE out,
                        std::vector<unsigned char>& room) {
    s.next_in = const_cast<unsigned char*>(data);
    s.avail_in = static_cast<uInt>(n);
    bool ok = true;
    do {
        s.next_out = room.data();
        s.avail_out = static_cast<uInt>(room.size());
        deflate(&s, flush);
        ok = ok && WriteAll(out, room.data(), room.size() - s.avail_out);
    } while (s.avail_out == 0);
    return ok;
}

// A file of `bytes` bytes, plain or as its zlib stream (level 1: the bench makes, not packs).
// The same seed gives the same bytes either way.
inline bool MakeFile(const Text& path, int64_t bytes, bool packed, uint32_t seed) {
    zk::UniqueFile f(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!f) return false;
    std::vector<unsigned char> block(static_cast<size_t>(std::min<int64_t>(bytes, 1 << 20))),
        out(1 << 20);
    z_stream s{};
    if (packed) deflateInit(&s, 1);
    bool ok = true;
    for (int64_t done = 0; ok && (done < bytes || (packed && done == 0 && bytes == 0));) {
        size_t n = static_cast<size_t>(std::min<int64_t>(bytes - done, int64_t(block.size())));
        block.resize(n);
        Fill(block, seed);
        done += static_cast<int64_t>(n);
        if (!packed) {
            ok = WriteAll(f.get(), block.data(), n);
            continue;
        }
        ok = DeflateInto(s, block.data(), n, done >= bytes ? Z_FINISH : Z_NO_FLUSH, f.get(), out);
        if (bytes == 0) break;
    }
    if (packed) deflateEnd(&s);
    return ok;
}

enum class Packing { Stored, Packed, Half };

// Files in folders d0, d1 ... of src (one copy row each).
struct Tree {
    Text src;
    std::vector<Text> folders, names; // per folder: its name and its SET_COPY_FILES list
    std::vector<Text> files;          // "dK\\fNNNNN.bin"
    std::vector<bool> packed;
    int64_t bytes = 0;
    bool made = true;
};

// `count` files of `each` bytes in `folders` folders of src; Half packs every second one.
inline Tree MakeTree(const Text& src, int count, int folders, int64_t each, Packing packing) {
    Tree t;
    t.src = src;
    CreateDirectoryA(src.c_str(), nullptr);
    for (int k = 0; k < folders; ++k) {
        t.folders.push_back("d" + std::to_string(k));
        t.names.emplace_back();
        CreateDirectoryA((src + "\\" + t.folders.back()).c_str(), nullptr);
    }
    for (int i = 0; i < count; ++i) {
        char name[32];
        snprintf(name, sizeof name, "f%05d.bin", i);
        const int k = i * folders / count;
        const bool packed = packing == Packing::Packed || (packing == Packing::Half && i % 2 == 1);
        const Text file = t.folders[k] + "\\" + name;
        t.made = MakeFile(src + "\\" + file + (packed ? "._z" : ""), each, packed,
                          7919u * static_cast<uint32_t>(i) + 1) &&
                 t.made;
        t.files.push_back(file);
        t.packed.push_back(packed);
        t.names[k] += (t.names[k].empty() ? "" : "|") + Text(name);
        t.bytes += each;
    }
    return t;
}

// The plain program: CopyFile or InflateFile per file, nothing else.
inline bool PlainCopy(const Tree& t, const Text& target) {
    CreateDirectoryA(target.c_str(), nullptr);
    for (const Text& f : t.folders) CreateDirectoryA((target + "\\" + f).c_str(), nullptr);
    bool ok = true;
    for (size_t i = 0; i < t.files.size(); ++i) {
        Text from = t.src + "\\" + t.files[i], to = target + "\\" + t.files[i];
        ok = (t.packed[i] ? zk::InflateFile(from + "._z", to, nullptr)
                          : CopyFileA(from.c_str(), to.c_str(), FALSE) != 0) &&
             ok;
    }
    return ok;
}

inline double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace zkbench
