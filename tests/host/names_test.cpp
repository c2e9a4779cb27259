#include "ui/twips_layout.h"
#include "service/file_names.h"
#include "service/listed_name.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

TEST(Names, TargetNameKeepsTheLastFiveDigits) {
    const struct {
        int32_t number;
        const char* expected;
    } cases[] = {
        {1, "Fax_00001.tif"},      {7, "Fax_00007.tif"},      {99999, "Fax_99999.tif"},
        {100000, "Fax_00000.tif"}, {123456, "Fax_23456.tif"}, {INT32_MAX, "Fax_83647.tif"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, orvalis::TargetName(c.number)) << "number " << c.number;
}

TEST(Names, CounterNeverOverflowsNorGoesBelowOne) {
    EXPECT_EQ(1, orvalis::NextCounter(0));
    EXPECT_EQ(8, orvalis::NextCounter(7));
    EXPECT_EQ(100000, orvalis::NextCounter(99999));
    EXPECT_EQ(1, orvalis::NextCounter(INT32_MAX));
    EXPECT_EQ(1, orvalis::NextCounter(-5));
    EXPECT_EQ(1, orvalis::NextCounter(INT32_MIN));
}

TEST(Names, FilesBesideTheExecutable) {
    EXPECT_EQ("C:\\Program Files\\Fax",
              orvalis::FolderOfModule("C:\\Program Files\\Fax\\Orvalis.exe"));
    EXPECT_EQ("C:", orvalis::FolderOfModule("C:\\Orvalis.exe"));
    // A drive root gives no doubled separator.
    EXPECT_EQ("C:\\Orvalis.ini", orvalis::PathInFolder("C:", "Orvalis.ini"));
    EXPECT_EQ("C:\\Orvalis.ini", orvalis::PathInFolder("C:\\", "Orvalis.ini"));
    EXPECT_EQ("C:\\FAX\\ORVALIS.BAT", orvalis::PathInFolder("C:\\FAX", "ORVALIS.BAT"));
    EXPECT_EQ("C:\\FAX\\IN\\", orvalis::WithTrailingBackslash("C:\\FAX\\IN"));
    EXPECT_EQ("C:\\FAX\\IN\\", orvalis::WithTrailingBackslash("C:\\FAX\\IN\\"));
}

TEST(Names, BatchFileIsTwoCrLfLines) {
    EXPECT_EQ("@echo off\r\nC:\\PROGRA~1\\FAXTOOLS\\AWDVSTUB.EXE /c %1 %2\r\n",
              orvalis::BatchFileText("C:\\PROGRA~1\\FAXTOOLS\\AWDVSTUB.EXE"));
    // Where short names are off the folder keeps its blanks, and cmd.exe
    // would otherwise run "C:\Program".
    EXPECT_EQ("@echo off\r\n\"C:\\Program Files\\Fax\\AWDVSTUB.EXE\" /c %1 %2\r\n",
              orvalis::BatchFileText("C:\\Program Files\\Fax\\AWDVSTUB.EXE"));
}

TEST(Names, InstanceMutexIsPerFolderWhateverTheCase) {
    const std::string a = orvalis::InstanceMutexName("C:\\Fax\\Orvalis");
    EXPECT_EQ(a, orvalis::InstanceMutexName("c:\\FAX\\orvalis"));
    EXPECT_NE(a, orvalis::InstanceMutexName("C:\\Fax\\Orvalis2"));
    EXPECT_EQ(0u, a.rfind("Global\\Orvalis-", 0)) << a;
    // Kernel object names allow no further backslash after the namespace.
    EXPECT_EQ(std::string::npos, a.find('\\', 7)) << a;
    const std::string long_folder(600, 'x');
    EXPECT_LT(orvalis::InstanceMutexName(long_folder).size(), 64u);
}

TEST(Names, TwipsAtTheScreensDpi) {
    EXPECT_EQ(468, orvalis::TwipsToPixels(7020, 96)); // Setup's client width
    EXPECT_EQ(174, orvalis::TwipsToPixels(2610, 96));
    EXPECT_EQ(702, orvalis::TwipsToPixels(7020, 144));
    EXPECT_EQ(1, orvalis::TwipsToPixels(15, 96));
    EXPECT_EQ(5, orvalis::TwipsToPixels(75, 96));
    EXPECT_EQ(-96, orvalis::TwipsToPixels(-1440, 96));
}

TEST(Names, OnlyNamesThatStayInTheDropFolderAreUsed) {
    const size_t folder = 10; // "C:\FAX\IN\"
    const struct {
        const char* exact_long;
        const char* short_name;
        size_t folder_length;
        const char* expected;
    } cases[] = {
        {"report.awd", "REPORT.AWD", folder, "report.awd"},
        {"", "LDZ~1.AWD", folder, "LDZ~1.AWD"}, // not in the code page
        {"a\\..\\x.awd", "A~1.AWD", folder, "A~1.AWD"},
        {"c:x.awd", "", folder, ""},
        {"..", "", folder, ""},
        {"", "", folder, ""}, // no 8.3 alias on this volume
        {"", "..\\X.AWD", folder, ""},
        {"long name.awd", "LONGNA~1.AWD", 246, "long name.awd"}, // 259 characters
        {"long name.awd", "LONGNA~1.AWD", 247, "LONGNA~1.AWD"},  // 260: too long
        {"long name.awd", "LONGNA~1.AWD", 250, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, orvalis::UsableName(c.exact_long, c.short_name, c.folder_length))
            << c.exact_long << " | " << c.short_name << " | " << c.folder_length;
}

} // namespace
