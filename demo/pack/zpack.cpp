// Host tool of the demo packer: writes a file as one zlib stream (header and Adler-32 sum),
// the form in which the install engine takes a "._z" source.
// Usage: zpack SOURCE TARGET   (TARGET is written beside itself and renamed into place)
#include <zlib.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct File {
    FILE* f;
    explicit File(FILE* file) : f(file) {}
    ~File() {
        if (f) std::fclose(f);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
};

bool Deflate(FILE* in, FILE* out) {
    z_stream z{};
    if (deflateInit(&z, Z_BEST_COMPRESSION) != Z_OK) return false;
    std::vector<unsigned char> inBuf(1 << 16), outBuf(1 << 16);
    int flush = Z_NO_FLUSH;
    int rc = Z_OK;
    do {
        z.avail_in = static_cast<uInt>(std::fread(inBuf.data(), 1, inBuf.size(), in));
        if (std::ferror(in)) break;
        z.next_in = inBuf.data();
        flush = std::feof(in) ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.avail_out = static_cast<uInt>(outBuf.size());
            z.next_out = outBuf.data();
            rc = deflate(&z, flush);
            size_t n = outBuf.size() - z.avail_out;
            if (std::fwrite(outBuf.data(), 1, n, out) != n) rc = Z_ERRNO;
        } while (rc == Z_OK && z.avail_out == 0);
    } while (rc == Z_OK && flush != Z_FINISH);
    deflateEnd(&z);
    return rc == Z_STREAM_END;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: zpack SOURCE TARGET\n", stderr);
        return 2;
    }
    const std::string target = argv[2], temp = target + ".part";
    bool ok;
    {
        File in(std::fopen(argv[1], "rb"));
        File out(in.f ? std::fopen(temp.c_str(), "wb") : nullptr);
        ok = in.f && out.f && Deflate(in.f, out.f);
        if (out.f && std::fclose(out.f) != 0) ok = false;
        out.f = nullptr;
    }
    if (ok && std::rename(temp.c_str(), target.c_str()) == 0) return 0;
    std::remove(temp.c_str());
    std::fprintf(stderr, "zpack: cannot pack %s into %s\n", argv[1], argv[2]);
    return 1;
}
