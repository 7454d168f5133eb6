#include "ZLibOpen.h"
#include "TestEnv.h"

#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <set>
#include <vector>

using namespace zk;
using zktest::Exists;
using zktest::ReadBytes;
using zktest::WriteBytes;

namespace {

std::vector<int> positions;
int lastMax = 0;
void Record(int, int, int max, int position, int) {
    positions.push_back(position);
    lastMax = max;
}

Text Compress(const Text& data, int level = Z_DEFAULT_COMPRESSION) {
    uLongf n = compressBound(static_cast<uLong>(data.size()));
    Text out(n, '\0');
    EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(out.data()), &n,
                        reinterpret_cast<const Bytef*>(data.data()),
                        static_cast<uLong>(data.size()), level),
              Z_OK);
    out.resize(n);
    return out;
}

Text CompressWithDictionary(const Text& data, const Text& dictionary) {
    z_stream s{};
    EXPECT_EQ(deflateInit(&s, 9), Z_OK);
    deflateSetDictionary(&s, reinterpret_cast<const Bytef*>(dictionary.data()),
                         static_cast<uInt>(dictionary.size()));
    Text out(deflateBound(&s, static_cast<uLong>(data.size())), '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&s, Z_FINISH), Z_STREAM_END);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

// Text and noise, so the stream holds both stored and compressed blocks.
Text Mixed(size_t n) {
    Text s;
    uint32_t x = 12345;
    while (s.size() < n) {
        s += "Setup copies this line into the target folder. ";
        for (int i = 0; i < 40; ++i) s += static_cast<char>((x = x * 1103515245 + 12345) >> 24);
    }
    s.resize(n);
    return s;
}

Text Flipped(Text s, size_t at) {
    s[at] = static_cast<char>(s[at] ^ 0x55);
    return s;
}

Text Inflated(const Text& compressed) {
    Text out;
    DecompressString(compressed, out, nullptr);
    return out;
}

std::set<Text> FolderNames(const Text& dir) {
    std::set<Text> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do
        if (fd.cFileName[0] != '.') names.insert(fd.cFileName);
    while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
}

} // namespace

TEST(ZLibOpen, InflatesGoodStreams) {
    struct Case {
        const char* what;
        Text data;
        int level;
    };
    const Case cases[] = {
        {"text", "Hello, hello, hello, hello!", 9},
        {"one byte", "x", 6},
        {"empty file", "", 6},
        {"mixed", Mixed(300000), 6},
        {"noise stored", Mixed(70000), 0},
        {"zeros, ratio ~1000", Text(4 << 20, '\0'), 9}, // many enlargements
    };
    for (const Case& c : cases) {
        Text compressed = Compress(c.data, c.level);
        EXPECT_TRUE(Inflated(compressed) == c.data) << c.what;
        EXPECT_TRUE(Inflated(compressed + "trailing junk") == c.data) << c.what;
    }
}

TEST(ZLibOpen, BadStreamsRaiseAndNeverHang) {
    Text good = Compress(Mixed(50000));
    struct Case {
        const char* what;
        Text stream;
        const char* message;
    };
    const Case cases[] = {
        {"empty", "", "buffer error"},
        {"8 bytes of a stream", good.substr(0, 8), "buffer error"},
        {"header only", good.substr(0, 2), "buffer error"},
        {"without its checksum", good.substr(0, good.size() - 4), "buffer error"},
        {"half", good.substr(0, good.size() / 2), "buffer error"},
        {"wrong header", Flipped(good, 0), "data error"},
        {"bad checksum", Flipped(good, good.size() - 1), "data error"},
        {"plain text", "this is not compressed at all", "data error"},
        {"preset dictionary", CompressWithDictionary("abcabcabc", "abc"), "need dictionary"},
    };
    for (const Case& c : cases) {
        Text out = "stale";
        try {
            DecompressString(c.stream, out, nullptr);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const EZLibError& e) {
            EXPECT_STREQ(e.what(), c.message) << c.what;
        }
        EXPECT_EQ(out, "") << c.what; // never a partial result
    }
}

TEST(ZLibOpen, CodesAndEstimates) {
    EXPECT_EQ(ZLibCheck(Z_OK), Z_OK);
    EXPECT_EQ(ZLibCheck(Z_STREAM_END), Z_STREAM_END);
    EXPECT_THROW(ZLibCheck(Z_MEM_ERROR), EZLibError);
    z_stream s{};
    EXPECT_EQ(InflateInitDefault(s), Z_OK);
    inflateEnd(&s);

    // With an exact estimate the output fits at once: the one call before inflating.
    Text data = Mixed(200000), compressed = Compress(data), out;
    positions.clear();
    DecompressBuffer(compressed.data(), compressed.size(), out, data.size(), Record);
    EXPECT_TRUE(out == data);
    EXPECT_EQ(positions, std::vector<int>{0});
    // From the small default the bar moves by input consumed, never past its end.
    positions.clear();
    DecompressBuffer(compressed.data(), compressed.size(), out, 0, Record);
    EXPECT_TRUE(out == data);
    EXPECT_GT(positions.size(), 1u);
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_LE(positions.back(), static_cast<int>(compressed.size()));
    EXPECT_EQ(lastMax, static_cast<int>(compressed.size()));
}

TEST(ZLibOpen, InflateFileTakesTheNameOnlyWhenComplete) {
    Text dir = zktest::ScratchDir("zlib_file");
    Text data = Mixed(3 << 20), good = Compress(data);
    ASSERT_TRUE(WriteBytes(dir + "\\good._z", good));
    positions.clear();
    ASSERT_TRUE(InflateFile(dir + "\\good._z", dir + "\\good.bin", Record));
    EXPECT_TRUE(ReadBytes(dir + "\\good.bin") == data);
    EXPECT_EQ(positions.front(), 0);
    EXPECT_EQ(positions.back(), static_cast<int>(good.size()));
    EXPECT_EQ(lastMax, static_cast<int>(good.size()));
    ASSERT_TRUE(WriteBytes(dir + "\\empty._z", Compress("")));
    ASSERT_TRUE(InflateFile(dir + "\\empty._z", dir + "\\empty.bin", nullptr));
    EXPECT_EQ(ReadBytes(dir + "\\empty.bin"), "");

    struct Case {
        const char* what;
        Text stream;
    };
    const Case bad[] = {
        {"truncated", good.substr(0, good.size() - 9)},
        {"corrupt", Flipped(good, good.size() / 2)},
        {"bad checksum", Flipped(good, good.size() - 2)},
        {"empty", ""},
        {"preset dictionary", CompressWithDictionary("abcabcabc", "abc")},
    };
    ASSERT_TRUE(WriteBytes(dir + "\\kept.bin", "previous version"));
    for (const Case& c : bad) {
        ASSERT_TRUE(WriteBytes(dir + "\\bad._z", c.stream));
        EXPECT_THROW(InflateFile(dir + "\\bad._z", dir + "\\bad.bin", nullptr), EZLibError)
            << c.what;
        EXPECT_FALSE(Exists(dir + "\\bad.bin")) << c.what;
        EXPECT_THROW(InflateFile(dir + "\\bad._z", dir + "\\kept.bin", nullptr), EZLibError);
        EXPECT_EQ(ReadBytes(dir + "\\kept.bin"), "previous version") << c.what;
    }
    EXPECT_FALSE(InflateFile(dir + "\\missing._z", dir + "\\x.bin", nullptr));
    EXPECT_FALSE(InflateFile(dir + "\\good._z", dir + "\\no\\such\\x.bin", nullptr));
    EXPECT_FALSE(InflateFile(dir + "\\good._z", dir + "\\bad<name>.bin", nullptr));
    EXPECT_EQ(FolderNames(dir), (std::set<Text>{"good._z", "good.bin", "empty._z", "empty.bin",
                                                "bad._z", "kept.bin"})); // no temporaries
}

// 256 MiB out of a small stream: the working set must not follow the file's size.
TEST(ZLibOpen, InflateFileMemoryStaysFlat) {
    Text dir = zktest::ScratchDir("zlib_flat");
    const size_t size = size_t(256) << 20;
    z_stream s{};
    ASSERT_EQ(deflateInit(&s, 1), Z_OK);
    std::vector<Bytef> block(1 << 20, 'z'), out(1 << 20);
    Text compressed;
    for (size_t done = 0; done < size; done += block.size()) {
        s.next_in = block.data();
        s.avail_in = static_cast<uInt>(block.size());
        int flush = done + block.size() >= size ? Z_FINISH : Z_NO_FLUSH;
        do {
            s.next_out = out.data();
            s.avail_out = static_cast<uInt>(out.size());
            deflate(&s, flush);
            compressed.append(reinterpret_cast<char*>(out.data()), out.size() - s.avail_out);
        } while (s.avail_out == 0);
    }
    deflateEnd(&s);
    ASSERT_TRUE(WriteBytes(dir + "\\big._z", compressed));
    PROCESS_MEMORY_COUNTERS before{}, after{};
    GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
    ASSERT_TRUE(InflateFile(dir + "\\big._z", dir + "\\big.bin", nullptr));
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
    WIN32_FILE_ATTRIBUTE_DATA info;
    ASSERT_TRUE(GetFileAttributesExA((dir + "\\big.bin").c_str(), GetFileExInfoStandard, &info));
    EXPECT_EQ((uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow, size);
    EXPECT_GT(before.PeakWorkingSetSize, 0u);
    EXPECT_LT(after.PeakWorkingSetSize, before.PeakWorkingSetSize + (16u << 20));
    zktest::RemoveScratch(dir);
}
