#include "platform/folder_watch.h"
#include "wine_test.h"

// What the look at every poll finds, without the news from the parent.
TEST_F(WineTest, FolderWatchFollowsThePathToWhicheverFolderItNames) {
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

// A fax moved in is news at once; more changes at once than can be noted
// make the listing be read again.
TEST_F(WineTest, FolderWatchNotesWhatChangedAndSaysWhenSomeWereMissed) {
    const std::string drop = temp.File("Drop");
    std::filesystem::create_directory(drop);
    std::ofstream(temp.File("x.awd")) << "x";
    orvalis::FolderWatch watch;
    watch.Start(drop + "\\");
    std::wstring noted;
    const auto note = [&](const std::wstring& name, bool) { noted += name + L" "; };
    MoveFileA(temp.File("x.awd").c_str(), (drop + "\\x.awd").c_str());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(watch.Handle(), 5000)) << "no news of x.awd";
    EXPECT_TRUE(watch.Rearm());
    EXPECT_FALSE(watch.Drain(note)) << "the first listing is read whatever was noted";
    EXPECT_TRUE(noted == L"x.awd ") << noted.size();
    // Noted as the message loop hears of them, with no listing to take them.
    for (int i = 0; i < 1500; ++i)
        std::ofstream(drop + "\\" + std::to_string(i) + ".awd") << "x";
    while (WaitForSingleObject(watch.Handle(), 1000) == WAIT_OBJECT_0)
        watch.Rearm();
    EXPECT_FALSE(watch.Drain(note)) << "more changes than could be noted";
}
