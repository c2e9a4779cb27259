#include "service/win32_pass_platform.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <set>

namespace {

class PassPlatform : public ::testing::Test {
  protected:
    TempFolder temp;
    std::string folder = temp.Path() + "\\";
    orvalis::Win32PassPlatform platform{temp.File("Orvalis.err"), orvalis::PassFormHooks()};

    void MakeWide(const std::wstring& name) {
        const std::wstring path = std::wstring(folder.begin(), folder.end()) + name;
        CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    }
};

std::vector<std::string> Names(const std::vector<orvalis::ListedFile>& files) {
    std::vector<std::string> names;
    for (const orvalis::ListedFile& file : files)
        names.push_back(file.name);
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(PassPlatform, ListingTakesOnlyOrdinaryAwdFiles) {
    WriteBytes(temp.File("a.awd"), "x");
    WriteBytes(temp.File("B.AWD"), "x");
    WriteBytes(temp.File("hidden.awd"), "x");
    SetFileAttributesA(temp.File("hidden.awd").c_str(), FILE_ATTRIBUTE_HIDDEN);
    WriteBytes(temp.File("system.awd"), "x");
    SetFileAttributesA(temp.File("system.awd").c_str(), FILE_ATTRIBUTE_SYSTEM);
    WriteBytes(temp.File("readonly.awd"), "x");
    SetFileAttributesA(temp.File("readonly.awd").c_str(), FILE_ATTRIBUTE_READONLY);
    CreateDirectoryA(temp.File("folder.awd").c_str(), nullptr);
    WriteBytes(temp.File("note.txt"), "x");

    WriteBytes(temp.File("x.awdx"), "x"); // matches "*.awd" through its 8.3 alias

    EXPECT_EQ((std::vector<std::string>{"B.AWD", "a.awd", "readonly.awd"}),
              Names(platform.ListAwdFiles(folder)));
    SetFileAttributesA(temp.File("readonly.awd").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(PassPlatform, VanishedFolderListsNothing) {
    EXPECT_TRUE(platform.ListAwdFiles(temp.File("gone") + "\\").empty());
}

TEST_F(PassPlatform, ListedNamesNeverLeadOutOfTheFolder) {
    MakeWide(L"a\uFF3C..\uFF3Cx.awd");    // fullwidth backslashes: best fit makes them real
    MakeWide(L"\u0141\u00F3d\u017A.awd"); // best fit would give "Lodz.awd"
    MakeWide(L"caf\u00E9.awd");
    const std::vector<orvalis::ListedFile> files = platform.ListAwdFiles(folder);
    ASSERT_EQ(3u, files.size());
    std::set<std::string> keys;
    for (const orvalis::ListedFile& file : files) {
        keys.insert(file.key);
        ASSERT_FALSE(file.name.empty()) << file.shown;
        EXPECT_EQ(std::string::npos, file.name.find_first_of("\\/:?")) << file.name;
        EXPECT_EQ(std::string::npos, file.shown.find_first_of("\\/:")) << file.shown;
        EXPECT_TRUE(platform.FileExists(folder + file.name)) << file.name << " is the file itself";
    }
    EXPECT_EQ(3u, keys.size());
    EXPECT_EQ(1u, keys.count("caf\xC3\xA9.awd"));
    EXPECT_EQ("caf\xE9.awd", Names(files)[2]) << "a name the code page holds is taken as it is";
}

TEST_F(PassPlatform, TargetIsCompleteOnceWholeAndNoLongerWritten) {
    // One page with one 4-byte strip, little-endian.
    const std::string tiff("II*\0\x08\0\0\0\x02\0"
                           "\x11\x01\x04\0\x01\0\0\0\x26\0\0\0"
                           "\x17\x01\x04\0\x01\0\0\0\x04\0\0\0"
                           "\0\0\0\0"
                           "abcd",
                           42);
    const std::string tif = temp.File("Fax_00001.tif");
    EXPECT_FALSE(platform.IsTargetComplete(tif));
    WriteBytes(tif, tiff.substr(0, 40));
    EXPECT_FALSE(platform.IsTargetComplete(tif)) << "cut short";
    WriteBytes(tif, tiff);
    EXPECT_TRUE(platform.IsTargetComplete(tif));

    HANDLE writer = CreateFileA(tif.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    EXPECT_FALSE(platform.IsTargetComplete(tif)) << "a writer still has it";
    CloseHandle(writer);
    HANDLE reader =
        CreateFileA(tif.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_TRUE(platform.IsTargetComplete(tif)) << "a reader holds nothing up";
    CloseHandle(reader);
}

TEST_F(PassPlatform, HeldOpenMeansAWriterStillHasIt) {
    const std::string fax = temp.File("fax.awd");
    WriteBytes(fax, "x");
    EXPECT_FALSE(platform.IsHeldOpen(fax));

    HANDLE writer = CreateFileA(fax.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    EXPECT_TRUE(platform.IsHeldOpen(fax));
    CloseHandle(writer);
    EXPECT_FALSE(platform.IsHeldOpen(fax));

    SetFileAttributesA(fax.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(platform.IsHeldOpen(fax)) << "read-only is not held open";
    EXPECT_EQ(orvalis::DeleteResult::Failed, platform.DeleteSource(fax)) << "nor deletable";
    SetFileAttributesA(fax.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(orvalis::DeleteResult::Deleted, platform.DeleteSource(fax));
    EXPECT_EQ(orvalis::DeleteResult::AlreadyGone, platform.DeleteSource(fax));
    EXPECT_FALSE(platform.FileExists(fax));
    EXPECT_FALSE(platform.IsHeldOpen(fax)) << "a missing file is not held open";
}

TEST_F(PassPlatform, ErrorLogIsAppendedByteForByte) {
    platform.AppendErrorLog("first\r\n");
    platform.AppendErrorLog("second\r\n");
    EXPECT_EQ("first\r\nsecond\r\n", ReadBytes(temp.File("Orvalis.err")));
}

} // namespace
