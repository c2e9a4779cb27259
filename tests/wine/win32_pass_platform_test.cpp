#include "platform/win32_pass_platform.h"
#include "wine_test.h"

#include <set>

struct Win32PassPlatformTest : ::testing::Test {
    TempFolder temp;
    orvalis::Win32PassPlatform platform{temp.File("Orvalis.err"), {}};
};

TEST_F(Win32PassPlatformTest, ListsOrdinaryAwdFilesByNamesThatStayInTheFolder) {
    // Best fit would turn the fullwidth backslashes into real ones and
    // "Łódź" into "Lodz"; "café" is in the code page as it is.
    for (const wchar_t* name :
         {L"a.awd", L"B.AWD", L"hidden.awd", L"system.awd", L"x.awdx", L"\uFF3C..\uFF3Cx.awd",
          L"\u0141\u00F3d\u017A.awd", L"caf\u00E9.awd"})
        std::ofstream(std::filesystem::path(temp.path) / name) << "x";
    SetFileAttributesA(temp.File("hidden.awd").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA(temp.File("system.awd").c_str(), FILE_ATTRIBUTE_SYSTEM);
    std::filesystem::create_directory(temp.File("folder.awd"));
    std::set<std::string> keys;
    for (const orvalis::ListedFile& file : platform.ListAwdFiles(temp.File(""))) {
        keys.insert(file.key);
        EXPECT_EQ(std::string::npos, (file.name + file.shown).find_first_of("\\/:")) << file.shown;
        EXPECT_TRUE(!file.name.empty() && platform.FileExists(temp.File(file.name))) << file.shown;
        EXPECT_TRUE(file.key != "caf\xC3\xA9.awd" || file.name == "caf\xE9.awd")
            << "caf\xE9.awd listed as " << file.name;
    }
    // "x.awdx" matches "*.awd" through its 8.3 alias.
    EXPECT_EQ((std::set<std::string>{"B.AWD", "a.awd", "\xEF\xBC\xBC..\xEF\xBC\xBCx.awd",
                                     "caf\xC3\xA9.awd", "\xC5\x81\xC3\xB3\x64\xC5\xBA.awd"}),
              keys);
}

TEST_F(Win32PassPlatformTest, WhatAnotherHandleOnTheFileHoldsUp) {
    const std::string tif = temp.File("Fax_00001.tif");
    // One page with one 4-byte strip, little-endian.
    const char tiff[] = "II*\0\x08\0\0\0\x02\0\x11\x01\x04\0\x01\0\0\0\x26\0\0\0"
                        "\x17\x01\x04\0\x01\0\0\0\x04\0\0\0\0\0\0\0abcd";
    std::ofstream(tif, std::ios::binary).write(tiff, sizeof tiff - 1);
    // Another handle that shares reading only: a writer holds everything up,
    // a reader only keeps the file from being taken or deleted.
    const std::pair<DWORD, bool> cases[] = {{GENERIC_WRITE, false}, {GENERIC_READ, true}};
    for (const auto& [access, complete] : cases) {
        HANDLE other =
            CreateFileA(tif.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(complete, platform.IsTargetComplete(tif)) << "access " << std::hex << access;
        EXPECT_TRUE(platform.IsHeldOpen(tif)) << "access " << std::hex << access;
        EXPECT_EQ(orvalis::DeleteResult::Failed, platform.DeleteSource(tif)) << "in use";
        CloseHandle(other);
    }
    EXPECT_EQ(orvalis::DeleteResult::Deleted, platform.DeleteSource(tif));
    EXPECT_EQ(orvalis::DeleteResult::AlreadyGone, platform.DeleteSource(tif));
    EXPECT_FALSE(platform.IsHeldOpen(tif)) << "gone";
}

// Only a file that exists is another's number; a store that is gone is an error.
TEST_F(Win32PassPlatformTest, OnlyAFileThatExistsIsAnothersNumber) {
    std::ofstream(temp.File("there")) << "x";
    std::ostringstream answers; // in this order: the check leaves nothing behind
    for (const char* name : {"free", "there", "gone\\x"})
        answers << int(platform.TargetAbsent(temp.File(name)))
                << int(platform.Reserve(temp.File(name))) << " ";
    EXPECT_EQ("00 11 22 ", answers.str()) << "absent and reserved, present and taken, both failed";
}
