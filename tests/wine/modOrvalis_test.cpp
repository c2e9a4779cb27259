#include "forms/modOrvalis.h"

#include <gtest/gtest.h>

// The balloon goes with NIM_MODIFY on its own: the icon and its tip stay.
TEST(modOrvalis, TipOfTheIconAndTheBalloonsWarning) {
    const orvalis::NotifyIconRecord tip = orvalis::MakeTrayRecord(nullptr, nullptr, "AWD to TIF");
    EXPECT_EQ(DWORD{NOTIFYICONDATAA_V1_SIZE}, tip.cbSize) << "the shell's original record";
    EXPECT_EQ(std::string("AWD to TIF\0", 11) + std::string(53, ' '), std::string(tip.szTip, 64));
    // A text too long is cut, leaving room for its NUL.
    const NOTIFYICONDATAA r = orvalis::MakeBalloonRecord(nullptr, "Orvalis", std::string(300, 'a'));
    EXPECT_EQ(DWORD{NOTIFYICONDATAA_V2_SIZE}, r.cbSize) << "room for the balloon";
    EXPECT_STREQ("Orvalis", r.szInfoTitle);
    EXPECT_EQ(std::string(255, 'a'), r.szInfo) << "room for the NUL";
}
