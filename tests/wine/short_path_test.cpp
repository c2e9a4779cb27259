#include "platform/short_path.h"
#include "wine_test.h"

// Nested 8.3 folders, each its own short form, up to exactly `length`
// characters: steps of ten until the rest is a multiple of nine.
static std::string Nested(std::string path, size_t length) {
    while (path.size() < length)
        path += (length - path.size()) % 9 ? "\\ABCDE.FGH" : "\\ABCDEFGH";
    std::filesystem::create_directories(path);
    return path;
}

TEST(ShortPath, ShortFormsOfAnyLengthKeepingATrailingBackslash) {
    TempFolder temp;
    char buffer[MAX_PATH];
    const std::string base(buffer, GetShortPathNameA(temp.path.c_str(), buffer, MAX_PATH));
    ASSERT_NE("", base) << temp.path;
    EXPECT_EQ(base + "\\", GetShortPath(temp.path + "\\"));
    EXPECT_EQ(Nested(base, 250), GetShortPath(Nested(base, 250)));
    EXPECT_EQ("", GetShortPath(temp.File("missing") + "\\"));
}
