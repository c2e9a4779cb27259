#include "core/file_names.h"

#include <gtest/gtest.h>

using namespace orvalis;

TEST(FileNames, NumbersNamesAndTheFilesOfTheProgramsFolder) {
    const int32_t next[][2] = {
        {INT32_MIN, 1}, {-5, 1}, {1, 2}, {INT32_MAX - 1, INT32_MAX}, {INT32_MAX, 1}};
    for (const auto& c : next)
        EXPECT_EQ(c[1], NextCounter(c[0])) << "after " << c[0];
    // The most the ANSI functions take, 259 characters: an 8.3 name in the
    // drop folder, "\Fax_NNNNN.tif.lock" in the store folder.
    EXPECT_TRUE(FoldersFit(std::string(246, 'd'), std::string(240, 's') + "\\"));
    EXPECT_FALSE(FoldersFit(std::string(247, 'd'), "s") || FoldersFit("d", std::string(241, 's')));
    // Settings relative to nothing are read against the application folder.
    const char* const folders[][3] = {
        {"C:\\App", "Drop", "C:\\App\\Drop"},    {"C:\\App", "\\Fax", "C:\\Fax"},
        {"C:", "..\\In", "C:\\..\\In"},          {"\\\\s\\sh\\App", "\\Fax", "\\\\s\\sh\\Fax"},
        {"C:\\App", "D:Fax", "D:\\Fax"},         {"C:\\App", "D:/Fax", "D:/Fax"},
        {"C:\\App", "\\\\s\\Fax", "\\\\s\\Fax"}, {"C:\\App", "", ""}};
    for (const auto& [app, setting, full] : folders)
        EXPECT_EQ(full, FolderFromSetting(app, setting)) << setting;
    EXPECT_EQ("\\\\?\\UNC\\s\\sh\\a.awd", ExtendedPath("\\\\s\\sh\\a.awd"));
    EXPECT_EQ("\\\\?\\C:\\In\\nul.awd", ExtendedPath(ExtendedPath("C:\\In\\nul.awd")));
    EXPECT_EQ("@echo off\r\n\"C:\\A B\\X.EXE\" /c %1 %2\r\n", BatchFileText("C:\\A B\\X.EXE"));
    // FNV-1a over "C:\FAX\ORVALIS", worked out apart from the code: one name per
    // folder, however its path is written.
    EXPECT_EQ("Global\\Orvalis-985bff608ef42a33", InstanceMutexName("c:/Fax\\orvalis"));
}
