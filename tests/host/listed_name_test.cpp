#include "core/listed_name.h"

#include <gtest/gtest.h>

TEST(ListedName, OnlyNamesThatStayInTheFolderAreUsed) {
    for (const char* bad : {"", ".", "..", "a\\..\\x.awd", "a/b.awd", "c:x.awd", "a\x1f.awd"}) {
        EXPECT_EQ("A~1.AWD", orvalis::UsableName(bad, "A~1.AWD", 10)) << bad;
        EXPECT_EQ("", orvalis::UsableName("", bad, 10)) << bad << " as the alias";
    }
    // 259 characters with the folder are the most the ANSI file functions take.
    EXPECT_EQ("long name.awd", orvalis::UsableName("long name.awd", "LONGNA~1.AWD", 246));
    EXPECT_EQ("LONGNA~1.AWD", orvalis::UsableName("long name.awd", "LONGNA~1.AWD", 247));
    EXPECT_EQ("", orvalis::UsableName("long name.awd", "LONGNA~1.AWD", 248));
}
