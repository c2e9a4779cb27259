#include "core/twips_layout.h"

#include <gtest/gtest.h>

TEST(TwipsLayout, TwipsRoundToTheNearestPixel) {
    // twips, dots per inch, pixels
    const int cases[][3] = {{7020, 144, 702}, {7, 96, 0}, {8, 96, 1}, {-7, 96, 0}, {-8, 96, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(c[2], orvalis::TwipsToPixels(c[0], c[1])) << c[0] << " twips at " << c[1];
}
