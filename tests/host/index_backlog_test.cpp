#include "core/index_backlog.h"

#include <gtest/gtest.h>

using orvalis::IndexBacklog;

// A line with a line break and quotes inside; one that ends another's record.
static const std::string kLines[] = {"1,a\r\n", "2,\"b\r\n\"\"c\"\"\"\r\n", "3,c\r\n"};

// The file that a crash leaves holds what waited before writing began; the
// next start writes what had not landed, in order, and nothing twice.
TEST(IndexBacklog, LinesWaitInOrderAndLandOnceOverACrash) {
    for (size_t landed = 0; landed <= 3; ++landed) {
        // Another PC appends between ours, a record that ends like our last.
        std::string index = "header\r\nX\r\n", expected = index;
        const size_t crash_size = index.size();
        IndexBacklog before;
        for (const std::string& line : kLines)
            before.Add(line);
        before.BeginWrite(crash_size, {});
        const std::string saved = before.Saved();
        size_t written = 0;
        EXPECT_EQ(landed == 3, before.Flush([&](const std::string& line) {
            return written++ != landed && (index += line + "9" + kLines[2], true);
        }));
        for (size_t i = 0; i < 3; ++i)
            expected += i < landed ? kLines[i] + "9" + kLines[2] : kLines[i];

        IndexBacklog after = IndexBacklog::Load(saved);
        after.BeginWrite(index.size(), [&](uint64_t from) {
            EXPECT_EQ(crash_size, from);
            return index.substr(from);
        });
        EXPECT_TRUE(after.Flush([&](const std::string& line) { return index += line, true; }));
        EXPECT_EQ(expected, index) << landed << " landed";
    }
    // Cut short after the line break inside the quotes, the file holds no
    // more whole lines than the first.
    const std::string saved = "\r\n" + kLines[0] + kLines[1];
    EXPECT_EQ("\r\n" + kLines[0],
              IndexBacklog::Load(saved.substr(0, saved.find("\r\n\"\"") + 2)).Saved());
}
