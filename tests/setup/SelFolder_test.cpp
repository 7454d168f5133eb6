// Where Browse starts for a typed target folder.
#include "SelFolder.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

using namespace zk;

TEST(SelFolder, BrowseStartsAtTheNearestExistingFolder) {
    const std::string dir = zktest::ScratchDir("selfolder_start");
    std::string ten = dir, eleven = dir + "\\1";
    for (int level = 1; level <= 10; ++level) ten += "\\" + std::to_string(level);
    for (int level = 2; level <= 11; ++level) eleven += "\\" + std::to_string(level);
    struct Case {
        std::string path, start;
    };
    const Case cases[] = {
        {dir, dir},
        {dir + "\\", dir + "\\"}, // an existing folder is taken as typed
        {dir + "\\new\\sub", dir},
        {dir + "\\new\\sub\\", dir},
        {ten, dir},
        {eleven, dir + "\\1"}, // too deep: still missing, so the browser drops it
        {"Q:\\no\\drive", "Q:\\"}, // a drive root keeps its backslash
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(BrowseStartFolder(c.path), c.start) << c.path;
    zktest::RemoveScratch(dir);
}
