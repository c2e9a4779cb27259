#include "service/command_line.h"

#include <gtest/gtest.h>

namespace {

using orvalis::BuildCommand;
using orvalis::CanPassToCmd;
using orvalis::QuoteForCmd;

TEST(CommandLine, PlainPartsStayBareOthersAreQuoted) {
    const struct {
        const char* part;
        const char* expected;
    } cases[] = {
        {"C:\\FAX\\IN\\report.awd", "C:\\FAX\\IN\\report.awd"},
        {"C:\\FAX\\OUT\\Fax_00007.tif", "C:\\FAX\\OUT\\Fax_00007.tif"},
        {"C:\\PROGRA~1\\X-Y\\a.b", "C:\\PROGRA~1\\X-Y\\a.b"},
        {"C:\\IN\\my report.awd", "\"C:\\IN\\my report.awd\""},
        {"C:\\IN\\a&md INJECTED&.awd", "\"C:\\IN\\a&md INJECTED&.awd\""},
        {"C:\\IN\\a^b.awd", "\"C:\\IN\\a^b.awd\""},
        {"C:\\IN\\(1).awd", "\"C:\\IN\\(1).awd\""},
        {"C:\\IN\\a,b;c=d.awd", "\"C:\\IN\\a,b;c=d.awd\""},
        {"C:\\IN\\a!b.awd", "\"C:\\IN\\a!b.awd\""},
        {"C:\\IN\\caf\xe9.awd", "\"C:\\IN\\caf\xe9.awd\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, QuoteForCmd(c.part)) << "part: " << c.part;
}

TEST(CommandLine, PercentQuotesAndControlsCannotBePassed) {
    EXPECT_TRUE(CanPassToCmd("C:\\IN\\a&b (1)!.awd"));
    EXPECT_FALSE(CanPassToCmd("C:\\IN\\100%.awd"));
    EXPECT_FALSE(CanPassToCmd("C:\\IN\\%PATH%.awd"));
    EXPECT_FALSE(CanPassToCmd("C:\\IN\\a\"b.awd"));
    EXPECT_FALSE(CanPassToCmd("C:\\IN\\a\nb.awd"));
}

TEST(CommandLine, OrdinaryNamesGiveTheDocumentedCommand) {
    EXPECT_EQ("C:\\PROGRA~1\\FAXTOOLS\\ORVALIS.BAT C:\\FAX\\IN\\report.awd "
              "C:\\FAX\\OUT\\Fax_00007.tif",
              BuildCommand("C:\\PROGRA~1\\FAXTOOLS\\ORVALIS.BAT", "C:\\FAX\\IN\\report.awd",
                           "C:\\FAX\\OUT\\Fax_00007.tif"));
}

TEST(CommandLine, LongFoldersWithoutShortNamesAreQuotedPartByPart) {
    EXPECT_EQ("\"C:\\Program Files\\Fax Tools\\ORVALIS.BAT\" \"D:\\Fax In\\a&b.awd\" "
              "\"D:\\Fax Out\\Fax_00001.tif\"",
              BuildCommand("C:\\Program Files\\Fax Tools\\ORVALIS.BAT", "D:\\Fax In\\a&b.awd",
                           "D:\\Fax Out\\Fax_00001.tif"));
}

TEST(CommandLine, LaunchWrapsTheCommandForCmdSlashS) {
    EXPECT_EQ("C:\\windows\\system32\\cmd.exe /d /v:OFF /s /c \"B.BAT \"a b.awd\" T.tif\"",
              orvalis::CmdLaunchLine("C:\\windows\\system32\\cmd.exe", "B.BAT \"a b.awd\" T.tif"));
}

TEST(CommandLine, ErrorLogEntryIsByteExact) {
    EXPECT_EQ("ERROR: Cannot convert the awd file! [1234]\r\n"
              "           C:\\PROGRA~1\\FAXTOOLS\\ORVALIS.BAT C:\\FAX\\IN\\report.awd "
              "C:\\FAX\\OUT\\Fax_00007.tif\r\n",
              orvalis::ErrorLogEntry(1234, "C:\\PROGRA~1\\FAXTOOLS\\ORVALIS.BAT "
                                           "C:\\FAX\\IN\\report.awd C:\\FAX\\OUT\\Fax_00007.tif"));
    EXPECT_EQ("ERROR: Cannot convert the awd file! [0]\r\n           X\r\n",
              orvalis::ErrorLogEntry(0, "X"));
}

} // namespace
