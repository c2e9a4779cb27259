#include "platform/fax_index_file.h"
#include "wine_test.h"

#include <memory>

// Excel shares a CSV it has open for reading only.
TEST_F(WineTest, IndexLinesWaitWhileTheIndexIsHeldAlsoOverARestart) {
    const std::string index = temp.File(orvalis::kIndexName);
    const std::string waiting = temp.File(orvalis::kWaitingName);
    orvalis::IndexEntry entry{2024, 3, 5, 7, 8, 9, "", "caf\xC3\xA9.awd", 512, 1, "PC", 0};
    entry.tif = "Fax_00001.tif";
    auto file = std::make_unique<orvalis::FaxIndexFile>(temp.File(""), temp.path);
    file->Add(entry);
    std::string expected = orvalis::kIndexHeader + orvalis::IndexLine(entry);
    HANDLE excel = CreateFileA(index.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    for (const char* tif : {"Fax_00002.tif", "Fax_00003.tif"}) { // the waiting file replaced
        entry.tif = tif;
        file->Add(entry);
        expected += orvalis::IndexLine(entry);
    }
    file = std::make_unique<orvalis::FaxIndexFile>(temp.File(""), temp.path);
    file->Flush();
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(waiting.c_str()));
    CloseHandle(excel);
    file->Flush();
    EXPECT_EQ(expected, FileText(index));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(waiting.c_str()));
}
