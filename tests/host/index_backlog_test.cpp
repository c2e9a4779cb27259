#include "core/index_backlog.h"

#include <gtest/gtest.h>

using orvalis::IndexBacklog;

// A line with a line break and quotes inside; one that ends another's record.
static const std::string kLines[] = {"1,a\r\n", "2,\"b\r\n\"\"c\"\"\"\r\n", "3,c\r\n"};

TEST(IndexBacklog, LinesWaitInOrderOverARestart) {
    std::string index = "header\r\n", expected = index + kLines[0] + kLines[1] + kLines[2];
    bool locked = false;
    const auto append = [&](const std::string& line) { return !locked && (index += line, true); };
    IndexBacklog backlog;
    for (const std::string& line : kLines) {
        backlog.Add(line);
        EXPECT_EQ(!locked, backlog.Flush(append)) << line;
        locked = true;
    }
    const std::string saved = backlog.Saved();
    // Cut short after the line break inside the quotes: no whole line is left.
    EXPECT_EQ("", IndexBacklog::Load(saved.substr(0, saved.find("\r\n\"\"") + 2)).Saved());
    backlog = IndexBacklog::Load(saved);
    locked = false;
    EXPECT_TRUE(backlog.Flush(append));
    EXPECT_EQ(expected, index);
    EXPECT_EQ("", backlog.Saved());
}

TEST(IndexBacklog, WhatLandedBeforeACrashIsNotWrittenAgain) {
    for (size_t landed = 0; landed <= 3; ++landed) {
        // Another PC appends between ours, a record that ends like our last.
        std::string index = "header\r\nX\r\n", expected = index;
        const size_t crash_size = index.size();
        IndexBacklog before;
        for (const std::string& line : kLines)
            before.Add(line);
        before.BeginWrite(crash_size, {});
        const std::string saved = before.Saved(); // the file the crash leaves
        size_t written = 0;
        before.Flush([&](const std::string& line) {
            return written++ != landed && (index += line + "9" + kLines[2], true);
        });
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
}
