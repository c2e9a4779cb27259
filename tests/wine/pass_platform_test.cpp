#include "service/win32_pass_platform.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

class PassPlatform : public ::testing::Test {
  protected:
    TempFolder temp;
    std::string folder = temp.Path() + "\\";
    Win32PassPlatform platform{temp.File("Orvalis.err"), [] {}};
};

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

    std::vector<std::string> names = platform.ListAwdFiles(folder);
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"B.AWD", "a.awd", "readonly.awd"}), names);
    SetFileAttributesA(temp.File("readonly.awd").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(PassPlatform, VanishedFolderListsNothing) {
    EXPECT_TRUE(platform.ListAwdFiles(temp.File("gone") + "\\").empty());
}

TEST_F(PassPlatform, HeldOpenMeansAWriterStillHasIt) {
    const std::string fax = temp.File("fax.awd");
    WriteBytes(fax, "x");
    EXPECT_FALSE(platform.IsHeldOpen(fax));

    HANDLE writer = CreateFileA(fax.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    EXPECT_TRUE(platform.IsHeldOpen(fax));
    EXPECT_TRUE(platform.CanOpenForReading(fax)) << "readers are still let in";
    CloseHandle(writer);
    EXPECT_FALSE(platform.IsHeldOpen(fax));

    SetFileAttributesA(fax.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(platform.IsHeldOpen(fax)) << "read-only is not held open";
    EXPECT_FALSE(platform.DeleteSource(fax)) << "and cannot be deleted";
    SetFileAttributesA(fax.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(platform.DeleteSource(fax));
    EXPECT_FALSE(platform.FileExists(fax));
    EXPECT_FALSE(platform.IsHeldOpen(fax)) << "a missing file is not held open";
}

TEST_F(PassPlatform, ErrorLogIsAppendedByteForByte) {
    platform.AppendErrorLog("first\r\n");
    platform.AppendErrorLog("second\r\n");
    EXPECT_EQ("first\r\nsecond\r\n", ReadBytes(temp.File("Orvalis.err")));
}

} // namespace
