#include "forms/modINI.h"
#include "wine_test.h"

// The placeholder and comment rules are tested natively; here it is the
// real lookup, and the buffer it fills, that feed them.
TEST_F(WineTest, ReadINIFeedsTheRealLookupToTheRules) {
    const std::string ini = temp.File("Orvalis.ini");
    std::ofstream(ini) << "[File]\nStore=-\nLong=" + std::string(9000, 'v');
    EXPECT_EQ("default", ReadINI("Store", "File", "default", ini));
    EXPECT_EQ(std::string(8191, 'v'), ReadINI("Long", "File", "", ini)) << "all the lookup copies";
}
