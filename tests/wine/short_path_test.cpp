#include "service/short_path.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

std::string PlatformShortForm(const std::string& path) {
    char buffer[MAX_PATH] = {};
    const DWORD n = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return std::string(buffer, n);
}

TEST(GetShortPath, TrailingBackslashIsKeptAndOnlyThat) {
    TempFolder temp;
    const std::string folder = temp.File("Incoming faxes folder");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string expected = PlatformShortForm(folder);
    ASSERT_FALSE(expected.empty());

    EXPECT_EQ(expected, GetShortPath(folder));
    EXPECT_EQ(expected + "\\", GetShortPath(folder + "\\"));
    EXPECT_EQ(std::string::npos, GetShortPath(folder).find(' '))
        << "short names hold no blanks where the volume has them";
}

TEST(GetShortPath, MissingPathGivesEmpty) {
    TempFolder temp;
    EXPECT_EQ("", GetShortPath(temp.File("no such folder")));
    EXPECT_EQ("", GetShortPath(temp.File("no such folder") + "\\"));
    EXPECT_EQ("", GetShortPath(""));
}

TEST(GetShortPath, ShortFormOf130CharactersOrMoreGivesEmpty) {
    TempFolder temp;
    // 8.3 names are their own short form, so the length is known.
    std::string path = PlatformShortForm(temp.Path());
    ASSERT_FALSE(path.empty());
    std::string fits, too_long;
    while (path.size() < 140) {
        path += "\\ABCDEFGH";
        ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
        if (path.size() <= 129)
            fits = path;
        else if (too_long.empty())
            too_long = path;
    }
    ASSERT_FALSE(fits.empty());
    EXPECT_EQ(fits, GetShortPath(fits));
    EXPECT_EQ("", GetShortPath(too_long)) << too_long.size() << " characters";
}

} // namespace
