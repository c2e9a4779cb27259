#include "config/modINI.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

class ModIni : public ::testing::Test {
  protected:
    TempFolder folder;
    // Always a full path: a bare name would go to the Windows folder.
    std::string ini = folder.File("Orvalis.ini");
};

TEST_F(ModIni, ReadRulesOverTheRealProfileFunctions) {
    WriteBytes(ini, "[File]\r\n"
                    "Drop=C:\\Fax\\In ; incoming faxes\r\n"
                    "Store=-\r\n"
                    "Current=;\r\n"
                    "[Tempo]\r\n"
                    "V1=;\r\n"
                    "V2=abc\r\n"
                    "Empty=\r\n");
    const struct {
        const char* key;
        const char* section;
        const char* default_text;
        const char* expected;
    } cases[] = {
        {"Drop", "File", "", "C:\\Fax\\In"},
        {"Store", "File", "", ""},
        {"Store", "File", "dflt", "dflt"},
        {"Current", "File", "0", "0"},
        {"V1", "Tempo", "500", "500"},
        {"V2", "Tempo", "3000", "abc"},
        {"Empty", "Tempo", "x", "x"},
        {"Missing", "Tempo", "d", "d"},
        {"Drop", "NoSection", "d", "d"},
        {"drop", "file", "", "C:\\Fax\\In"}, // the platform ignores case
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, ReadINI(c.key, c.section, c.default_text, ini))
            << "[" << c.section << "] " << c.key;
    }
    EXPECT_EQ("500", ReadINI("V1", "Tempo", 500, ini)) << "numeric default";
}

TEST_F(ModIni, MissingFileGivesTheDefaults) {
    const std::string absent = folder.File("absent.ini");
    EXPECT_EQ("3000", ReadINI("V2", "Tempo", 3000, absent));
    EXPECT_EQ("", ReadINI("Drop", "File", "", absent));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(absent.c_str()))
        << "reading must not create the file";
}

TEST_F(ModIni, LongValueIsCutTo8191Characters) {
    const std::string value(9000, 'v');
    WriteBytes(ini, "[File]\r\nDrop=" + value + "\r\n");
    EXPECT_EQ(std::string(8191, 'v'), ReadINI("Drop", "File", "", ini));
}

TEST_F(ModIni, WritesCreateTheFileAndReplaceValues) {
    WriteINI(0, "Current", "File", ini);
    EXPECT_EQ("[File]\r\nCurrent=0\r\n", ReadBytes(ini));
    WriteINI(42, "Current", "File", ini);
    WriteINI("C:\\Fax\\In", "Drop", "File", ini);
    WriteINI("250", "V1", "Tempo", ini);
    const std::string bytes = ReadBytes(ini);
    // Whether a blank line goes before a new section is the platform's choice.
    EXPECT_EQ(0u, bytes.find("[File]\r\nCurrent=42\r\nDrop=C:\\Fax\\In\r\n")) << bytes;
    const std::string tail = "[Tempo]\r\nV1=250\r\n";
    EXPECT_EQ(bytes.size() - tail.size(), bytes.rfind(tail)) << bytes;
    EXPECT_EQ("42", ReadINI("Current", "File", 0, ini));
}

} // namespace
