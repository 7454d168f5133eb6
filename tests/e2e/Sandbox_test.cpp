// The sandbox must stand before any test deletes anything: no Windows path may reach the
// host's files, and the profile's folders must be folders of the prefix itself.
#include "TestEnv.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

TEST(Sandbox, NoDriveMapsTheHostRoot) {
    DWORD drives = GetLogicalDrives();
    EXPECT_FALSE(drives & (1u << ('Z' - 'A'))) << "drive Z: must not exist";
    for (char d = 'A'; d <= 'Z'; ++d) {
        if (!(drives & (1u << (d - 'A')))) continue;
        std::string root = std::string(1, d) + ":\\";
        for (const char* probe : {"etc\\passwd", "proc\\self", "usr\\bin", "root"})
            EXPECT_FALSE(zktest::Exists(root + probe)) << root + probe;
    }
}

TEST(Sandbox, ShellFoldersAreRealFoldersOfThePrefix) {
    const int folders[] = {CSIDL_PERSONAL,        CSIDL_DESKTOPDIRECTORY, CSIDL_MYMUSIC,
                           CSIDL_MYPICTURES,      CSIDL_MYVIDEO,          CSIDL_APPDATA,
                           CSIDL_COMMON_DOCUMENTS};
    for (int csidl : folders) {
        char path[MAX_PATH] = "";
        ASSERT_EQ(SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, path), S_OK);
        EXPECT_EQ(_strnicmp(path, "C:\\", 3), 0) << path;
        DWORD attr = GetFileAttributesA(path);
        ASSERT_NE(attr, INVALID_FILE_ATTRIBUTES) << path;
        EXPECT_FALSE(attr & FILE_ATTRIBUTE_REPARSE_POINT) << path << " is a link";
    }
}

TEST(Sandbox, UnixNamespaceCannotWriteHostFiles) {
    // Wine opens \\?\unix\<path> whatever the drives are; the unprivileged sandbox user keeps
    // such a path away from the host's own files.
    const char* probes[] = {"\\\\?\\unix\\etc\\zk-sandbox-probe", "\\\\?\\unix\\root\\zk-probe",
                            "\\\\?\\unix\\usr\\zk-probe"};
    for (const char* probe : probes) {
        HANDLE h = CreateFileA(probe, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        EXPECT_EQ(h, INVALID_HANDLE_VALUE) << probe << " was writable";
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
}

TEST(Sandbox, BuildOutputIsItsOwnDriveAndWindowsIsXP) {
    EXPECT_TRUE(zktest::IsDir("T:\\bin"));
    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof v;
    ASSERT_TRUE(GetVersionExA(&v));
    EXPECT_EQ(v.dwPlatformId, 2u);
    EXPECT_EQ(v.dwMajorVersion, 5u);
    EXPECT_EQ(v.dwMinorVersion, 1u);
}

// Wine draws the caption buttons (minimise, maximise, close) as glyphs of Marlett; without the
// font every title bar shows "0", "1" and "r" in the substitute font.
TEST(Sandbox, TitleBarGlyphFontIsThere) {
    HDC dc = GetDC(nullptr);
    ASSERT_NE(dc, nullptr);
    HFONT font =
        CreateFontA(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, SYMBOL_CHARSET, 0, 0, 0, 0, "Marlett");
    ASSERT_NE(font, nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    char face[LF_FACESIZE] = "";
    GetTextFaceA(dc, sizeof face, face);
    WORD glyph = 0;
    const DWORD mapped = GetGlyphIndicesA(dc, "r", 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    EXPECT_STREQ(face, "Marlett") << "Wine's fonts are missing: scripts/install-deps.sh";
    EXPECT_EQ(mapped, 1u);
    EXPECT_NE(glyph, 0xFFFF) << "the close glyph";
}
