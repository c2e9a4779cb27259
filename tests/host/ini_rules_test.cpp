#include "core/ini_rules.h"

#include <gtest/gtest.h>

using namespace orvalis;

TEST(IniRules, ValuesCommentsPlaceholdersAndNumbers) {
    auto read = [](std::string s) { return IniValueFromLookup(s.data(), long(s.size()), "d"); };
    for (const char* copied : {"", ";", "; a note", "-", "- ; a placeholder", " ; "})
        EXPECT_EQ("d", read(copied)) << copied;
    for (const char* copied : {"--", "  spaced  ", "\t-\t", "abc"})
        EXPECT_EQ(copied, read(copied)) << "no comment: kept as it is";
    EXPECT_EQ("C:\\In", read("C:\\In ; faxes; old"));
    EXPECT_EQ("\tvalue\t", read("  \tvalue\t ; only blanks are trimmed"));
    EXPECT_EQ("ab", IniValueFromLookup("abcdef", 2, "x")) << "only what was copied counts";

    for (const char* text : {"", "-", "+", "12abc", "1 2", "1.5", "0x10", "2147483648",
                             "-2147483649", "99999999999999999999"}) {
        EXPECT_EQ(0, CounterFromText(text)) << text;
        EXPECT_EQ(500, SettleWaitFromText(text)) << text;
        EXPECT_EQ(3000, PollIntervalFromText(text)) << text;
    }
    EXPECT_EQ(INT32_MIN, CounterFromText(" -2147483648\t"));
    EXPECT_EQ(INT32_MAX, PollIntervalFromText("\t+2147483647 "));
    EXPECT_EQ(500, SettleWaitFromText("-1"));
    EXPECT_EQ(0, SettleWaitFromText("0"));
    EXPECT_EQ(60000, SettleWaitFromText("60001")) << "at most a minute";
    EXPECT_EQ(3000, PollIntervalFromText("0"));
}
