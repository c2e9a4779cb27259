#include "platform/folder_watch.h"
#include "wine_test.h"

// What the look at every poll finds, without the news from the parent.
TEST(FolderWatch, FollowsThePathToWhicheverFolderItNames) {
    TempFolder temp;
    const std::string drop = temp.File("Drop");
    orvalis::FolderWatch watch;
    watch.Start(drop + "\\"); // not made yet
    std::string started;
    for (const std::string step : {"m", "", "rm", "", "r", "", "m"}) { // r: renamed away, m: made
        if (step.find('r') == 0)
            std::filesystem::rename(drop, drop + std::to_string(started.size()));
        if (step.find('m') != std::string::npos)
            std::filesystem::create_directory(drop);
        started += watch.Follow() ? "1" : "0";
    }
    EXPECT_EQ("1010101", started) << "started again after each change, and only then";
}
