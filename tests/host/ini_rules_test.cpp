#include "config/ini_rules.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

using orvalis::IniValueFromLookup;

struct LookupCase {
    const char* copied; // what the profile lookup put in the buffer
    const char* default_text;
    const char* expected;
};

TEST(IniRules, CommentsPlaceholdersAndDefaults) {
    const LookupCase cases[] = {
        {"C:\\Fax\\In ; incoming faxes", "", "C:\\Fax\\In"},
        {";", "500", "500"},                // V1=; : the whole value is a comment
        {"; note", "3000", "3000"},         // a leading ";" too
        {"-", "", ""},                      // Store=- : placeholder
        {"- ; placeholder", "x", "x"},      // placeholder before a comment
        {"abc", "3000", "abc"},             // not validated here
        {"C:\\Fax;Old\\In", "", "C:\\Fax"}, // a ";" in a path cuts it
        {"  spaced  ", "", "  spaced  "},   // no comment: left exactly as read
        {"\tvalue\t ; c", "", "\tvalue\t"}, // tabs are not trimmed
        {"--", "d", "--"},                  // only a lone "-" is a placeholder
    };
    for (const LookupCase& c : cases) {
        EXPECT_EQ(c.expected, IniValueFromLookup(c.copied, static_cast<long>(std::strlen(c.copied)),
                                                 c.default_text))
            << "value read: \"" << c.copied << "\"";
    }
}

TEST(IniRules, NothingCopiedGivesTheDefault) {
    EXPECT_EQ("500", IniValueFromLookup("", 0, "500"));
    // Only the first n characters count, whatever else the buffer holds.
    EXPECT_EQ("ab", IniValueFromLookup("abcdef", 2, "x"));
}

struct NumberCase {
    const char* text;
    bool valid;
    int32_t value;
};

TEST(IniRules, ParseInt32AcceptsOnlyDecimal32BitIntegers) {
    const NumberCase cases[] = {
        {"42", true, 42},
        {" 42 ", true, 42},
        {"\t-7\t", true, -7},
        {"+5", true, 5},
        {"0", true, 0},
        {"2147483647", true, INT32_MAX},
        {"-2147483648", true, INT32_MIN},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"99999999999999999999999", false, 0},
        {"", false, 0},
        {"   ", false, 0},
        {"-", false, 0},
        {"abc", false, 0},
        {"12abc", false, 0},
        {"1 2", false, 0},
        {"0x10", false, 0},
        {"1.5", false, 0},
    };
    for (const NumberCase& c : cases) {
        int32_t value = 12345;
        const bool valid = orvalis::ParseInt32(c.text, value);
        EXPECT_EQ(c.valid, valid) << "text: \"" << c.text << "\"";
        if (c.valid)
            EXPECT_EQ(c.value, value) << "text: \"" << c.text << "\"";
        else
            EXPECT_EQ(12345, value) << "a rejected text must leave the value alone";
    }
}

TEST(IniRules, BadNumbersFallBackPerSetting) {
    EXPECT_EQ(0, orvalis::CounterFromText("abc"));
    EXPECT_EQ(0, orvalis::CounterFromText("4294967296"));
    EXPECT_EQ(17, orvalis::CounterFromText(" 17 "));

    EXPECT_EQ(500, orvalis::SettleWaitFromText("abc"));
    EXPECT_EQ(500, orvalis::SettleWaitFromText("-1"));
    EXPECT_EQ(0, orvalis::SettleWaitFromText("0"));
    EXPECT_EQ(250, orvalis::SettleWaitFromText("250"));
    EXPECT_EQ(60000, orvalis::SettleWaitFromText("60000"));
    EXPECT_EQ(60000, orvalis::SettleWaitFromText("5000000"));

    EXPECT_EQ(3000, orvalis::PollIntervalFromText("abc"));
    EXPECT_EQ(3000, orvalis::PollIntervalFromText("0"));
    EXPECT_EQ(3000, orvalis::PollIntervalFromText("-100"));
    EXPECT_EQ(3000, orvalis::PollIntervalFromText("C:\\Fax\\In")); // a folder dropped on the box
    EXPECT_EQ(100, orvalis::PollIntervalFromText("100"));
}

} // namespace
