#include "platform/folder_watch.h"
#include "wine_test.h"

// What the look at every poll finds, without the news from the parent.
TEST(FolderWatch, FollowsThePathToWhicheverFolderItNames) {
    TempFolder temp;
    const std::string drop = temp.File("Drop");
    std::filesystem::create_directory(drop);
    orvalis::FolderWatch watch;
    ASSERT_TRUE(watch.Start(drop + "\\"));
    std::string started;
    for (const std::string step : {"", "renamed away, made again", "", "renamed away", "", "made again"}) {
        if (step.find("renamed") == 0)
            std::filesystem::rename(drop, drop + std::to_string(started.size()));
        if (step.find("made again") != std::string::npos)
            std::filesystem::create_directory(drop);
        started += watch.Follow() ? "1" : "0";
    }
    EXPECT_EQ("010101", started) << "started again after each change, and only then";
}
