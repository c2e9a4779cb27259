#include "core/fax_index.h"

#include <gtest/gtest.h>

TEST(FaxIndex, ARecordThatSpreadsheetsReadWholeAndNeverRun) {
    orvalis::IndexEntry entry{2024, 3, 5, 7, 8, 9, "Fax_00007.tif", "", 5000000000, 2, "", 0};
    const std::string stored = "2024-03-05 07:08:09,Fax_00007.tif,";
    // AWD name, PC, converter ms; then the record from the AWD name on.
    const std::tuple<const char*, const char*, int64_t, const char*> cases[] = {
        {"Smith, Jones.awd", "PC", 49, "\"Smith, Jones.awd\",5000000000,2,PC,0.0\r\n"},
        {"the \"fax\".awd", "PC", 50, "\"the \"\"fax\"\".awd\",5000000000,2,PC,0.1\r\n"},
        {"\nb.awd", "PC", 1250, "\"'\nb.awd\",5000000000,2,PC,1.3\r\n"},
        {"=HYPERLINK(\"x\").awd", "PC", 1249,
         "\"'=HYPERLINK(\"\"x\"\").awd\",5000000000,2,PC,1.2\r\n"},
        {"+1.awd", "-PC", -150, "'+1.awd,5000000000,2,'-PC,0.0\r\n"},
        {"@SUM(A1).awd", "@", 99949, "'@SUM(A1).awd,5000000000,2,'@,99.9\r\n"},
        {"\t=1.awd", "\r=1", 3600000, "'\t=1.awd,5000000000,2,\"'\r=1\",3600.0\r\n"},
        {"a=1-2.awd", "P=C", 999, "a=1-2.awd,5000000000,2,P=C,1.0\r\n"}};
    for (const auto& [awd, pc, ms, record] : cases) {
        entry.awd = awd;
        entry.pc = pc;
        entry.converter_ms = ms;
        EXPECT_EQ(stored + record, orvalis::IndexLine(entry)) << awd;
    }
}
