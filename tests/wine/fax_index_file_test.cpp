#include "platform/fax_index_file.h"
#include "wine_test.h"

#include <iterator>
#include <memory>

static std::string Read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// Excel shares a CSV it has open for reading only.
TEST(FaxIndexFile, LinesWaitWhileTheIndexIsHeldAlsoOverARestart) {
    TempFolder temp;
    const std::string index = temp.File(orvalis::kIndexName);
    const std::string waiting = temp.File(orvalis::kWaitingName);
    orvalis::IndexEntry entry{2024, 3, 5, 7, 8, 9, "", "caf\xC3\xA9.awd", 512, 1, "PC", 0};
    auto file = std::make_unique<orvalis::FaxIndexFile>(temp.File(""), temp.path);
    std::string expected = orvalis::kIndexHeader, first;
    HANDLE excel = INVALID_HANDLE_VALUE;
    for (const char* tif : {"Fax_00001.tif", "Fax_00002.tif", "Fax_00003.tif"}) {
        entry.tif = tif;
        file->Add(entry);
        expected += orvalis::IndexLine(entry);
        if (excel == INVALID_HANDLE_VALUE) {
            first = expected;
            excel = CreateFileA(index.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        }
    }
    file = std::make_unique<orvalis::FaxIndexFile>(temp.File(""), temp.path);
    file->Flush();
    EXPECT_EQ(first, Read(index)) << "a new index starts with the header; held, it waits";
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(waiting.c_str()));
    CloseHandle(excel);
    file->Flush();
    EXPECT_EQ(expected, Read(index));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(waiting.c_str()));
}
