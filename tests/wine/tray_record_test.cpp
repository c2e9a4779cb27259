#include "service/modOrvalis.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <cstring>

namespace {

using namespace orvalis;

TEST(TrayRecord, FieldsAsTheShellIsToSeeThem) {
    HWND window = reinterpret_cast<HWND>(0x1234);
    HICON icon = reinterpret_cast<HICON>(0x5678);
    const NotifyIconRecord r = MakeTrayRecord(window, icon, "AWD to TIF");
    EXPECT_EQ(sizeof(NotifyIconRecord), r.cbSize);
    EXPECT_EQ(window, r.hWnd);
    EXPECT_EQ(1u, r.uID);
    EXPECT_EQ(7u, r.uFlags);
    EXPECT_EQ(512u, r.uCallbackMessage);
    EXPECT_EQ(icon, r.hIcon);
    EXPECT_EQ(0, std::memcmp(r.szTip, "AWD to TIF\0", 11));
    EXPECT_EQ(std::string(53, ' '), std::string(r.szTip + 11, 53));

    const NotifyIconRecord cut = MakeTrayRecord(window, icon, std::string(80, 'a'));
    EXPECT_EQ(std::string(63, 'a') + '\0', std::string(cut.szTip, 64))
        << "a long tip is cut so that the NUL still fits";
}

TEST(TrayRecord, BalloonGoesWithARecordLargeEnoughForIt) {
    HWND window = reinterpret_cast<HWND>(0x1234);
    const NOTIFYICONDATAA r = MakeBalloonRecord(window, "Orvalis", "Cannot convert a.awd.");
    EXPECT_EQ(static_cast<DWORD>(NOTIFYICONDATAA_V2_SIZE), r.cbSize);
    EXPECT_EQ(window, r.hWnd);
    EXPECT_EQ(1u, r.uID);
    EXPECT_EQ(static_cast<UINT>(NIF_INFO), r.uFlags) << "the icon and the tip stay as they are";
    EXPECT_EQ(static_cast<DWORD>(NIIF_WARNING), r.dwInfoFlags);
    EXPECT_STREQ("Orvalis", r.szInfoTitle);
    EXPECT_STREQ("Cannot convert a.awd.", r.szInfo);

    const NOTIFYICONDATAA cut = MakeBalloonRecord(window, "Orvalis", std::string(300, 'a'));
    EXPECT_EQ(std::string(255, 'a'), cut.szInfo);
}

} // namespace
