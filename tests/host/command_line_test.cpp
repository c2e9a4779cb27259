#include "core/command_line.h"

#include <gtest/gtest.h>

using namespace orvalis;

TEST(CommandLine, QuotingAndTheLaunchLine) {
    EXPECT_EQ("C:\\A~1\\X-Y\\Fax_1.tif", QuoteForCmd("C:\\A~1\\X-Y\\Fax_1.tif")) << "plain: bare";
    for (char c : std::string(" &|<>^(),;=!'+`[]{}@#$\xe9")) {
        const std::string part = std::string("C:\\IN\\a") + c + "b.awd";
        EXPECT_EQ("\"" + part + "\"", QuoteForCmd(part)) << part;
        EXPECT_TRUE(CanPassToCmd(part)) << part;
    }
    for (char c : std::string("%\"\n\x01\x1f")) // cmd expands %, the others end the argument
        EXPECT_FALSE(CanPassToCmd(std::string("C:\\IN\\a") + c + "b.awd")) << int(c);
    const std::string cmd = "C:\\O.BAT \"D:\\a&b.awd\" D:\\Fax_00001.tif";
    EXPECT_EQ("C:\\cmd.exe /d /v:OFF /s /c \"" + cmd + "\"", CmdLaunchLine("C:\\cmd.exe", cmd));
}
