#include "core/listing_snapshot.h"

#include <gtest/gtest.h>

using namespace orvalis;

static const std::vector<ListedFile> kListed = {{"a.awd", "a.awd", "a.awd", {}},
                                                {"b.awd", "b.awd", "b.awd", {}},
                                                {"c.awd", "c.awd", "c.awd", {}}};

static std::string Keys(ListingSnapshot& snapshot) {
    std::string keys;
    snapshot.Visit([&](const ListedFile& file) { return keys += file.key + " ", true; }, nullptr);
    return snapshot.Valid() ? keys : "read again";
}

// Only a listed file that went leaves the rest as it was; a file chosen that
// is gone before its removal was reported is passed by.
TEST(ListingSnapshot, StandsForTheFolderOnlyWhileNothingCameOrChanged) {
    const char* const rows[][3] = {{"b.awd", "removed", "a.awd c.awd "},
                                   {"x.AWD", "removed", "read again"},
                                   {"d.awd", "added", "read again"},
                                   {"a.awd", "changed", "read again"},
                                   {"notes.txt", "added", "a.awd b.awd c.awd "}};
    for (const auto& [key, what, expected] : rows) {
        ListingSnapshot snapshot;
        snapshot.Fill(kListed);
        snapshot.Changed(key, what == std::string("removed"));
        EXPECT_EQ(expected, Keys(snapshot)) << key << " " << what;
    }
    ListingSnapshot snapshot;
    snapshot.Fill(kListed);
    EXPECT_FALSE(snapshot.Visit([](const ListedFile& file) { return file.key != "b.awd"; },
                                [](const ListedFile&) { return false; }));
    EXPECT_EQ("a.awd c.awd ", Keys(snapshot));
    snapshot.Changed("b.awd", true); // its removal, reported late, finds nothing to erase again
}
