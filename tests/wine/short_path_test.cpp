#include "platform/short_path.h"
#include "wine_test.h"

// Any length is covered end to end, by a store folder of about 140 characters.
TEST_F(WineTest, ShortFormsKeepATrailingBackslash) {
    char buffer[MAX_PATH];
    const std::string base(buffer, GetShortPathNameA(temp.path.c_str(), buffer, MAX_PATH));
    EXPECT_EQ(base + "\\", GetShortPath(temp.path + "\\"));
    EXPECT_EQ("", GetShortPath(temp.File("missing") + "\\"));
}
