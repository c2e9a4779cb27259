#include "core/listed_name.h"

#include <gtest/gtest.h>

TEST(ListedName, OnlyNamesThatStayInTheFolderAreUsed) {
    for (const char* bad : {"", ".", "..", "a\\..\\x.awd", "a/b.awd", "c:x.awd", "a\x1f.awd",
                            "nul.awd", "com\xB9.awd", "LPT\xC2\xB2.awd", "Con .awd", "aux.x.awd",
                            "PRN.AWD", "com1.awd", "LPT9.awd", "conout$.awd"}) {
        EXPECT_EQ("A~1.AWD", orvalis::UsableName(bad, "A~1.AWD", 10)) << bad;
        EXPECT_EQ("", orvalis::UsableName("", bad, 10)) << bad << " as the alias";
    }
    // 259 characters with the folder are the most the ANSI file functions take.
    EXPECT_EQ("long name.awd", orvalis::UsableName("long name.awd", "LONGNA~1.AWD", 246));
    EXPECT_EQ("LONGNA~1.AWD", orvalis::UsableName("long name.awd", "LONGNA~1.AWD", 247));
    EXPECT_EQ("", orvalis::UsableName("long name.awd", "LONGNA~1.AWD", 248));
}

TEST(ListedName, DevicesAndFilesElsewhere) {
    for (const char* file :
         {"com10.awd", "com0.awd", "null.awd", "connie.awd", "lpt.awd", "nul~1.awd"})
        EXPECT_FALSE(orvalis::IsDeviceName(file)) << file;
    const char* const paths[][2] = {
        {"\\\\?\\C:\\In\\a.awd", "1"},          {"\\\\?\\c:\\in\\a.awd", "1"},
        {"\\\\?\\C:\\Inbox\\a.awd", "0"},       {"\\\\?\\C:\\In\\x\\a.awd", "0"},
        {"\\\\?\\C:\\Out\\Fax_00007.tif", "0"}, {"\\\\?\\C:\\In\\", "0"}};
    for (const auto& [file, inside] : paths)
        EXPECT_EQ(*inside == '1', orvalis::LiesDirectlyIn(file, "\\\\?\\C:\\In")) << file;
}
