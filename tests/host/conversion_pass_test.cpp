#include "service/conversion_pass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using orvalis::ServiceState;

// What the converter does with one source, in ms after the launch.
struct Converter {
    long long appears = 0; // the TIF can be opened from then on
    int opens = INT_MAX;   // how often it can be opened at all
    bool launch_fails = false;
};

const long long kNever = LLONG_MAX;

long long RetryBookLongestWait() {
    return orvalis::RetryBook::kLongestWait;
}

// A scripted drop folder, store folder and clock. Every call is traced so
// that a test can check the order of the steps.
class FakePlatform : public orvalis::PassPlatform {
  public:
    std::vector<std::string> drop; // names in listing order
    std::map<std::string, Converter> converters;
    std::set<std::string> held_open;   // sources another process writes
    std::set<std::string> undeletable; // read-only sources
    std::set<std::string> taken;       // sources someone else deletes first
    std::set<std::string> unusable;    // names the converter cannot be given
    std::map<std::string, orvalis::FileStamp> stamps;
    std::vector<std::string> announced;
    bool failing = false;            // what the tray icon shows
    std::set<std::string> existing;  // targets already in the store
    std::function<void()> on_events; // runs at each DoEvents
    std::vector<std::string> trace;
    std::vector<std::string> log;
    std::vector<int32_t> saved;
    std::vector<long long> launch_times;
    int32_t next_task = 100;
    long long now = 0;

    std::vector<orvalis::ListedFile> ListAwdFiles(const std::string& folder) override {
        EXPECT_EQ("D:\\IN\\", folder);
        std::vector<orvalis::ListedFile> files;
        for (const std::string& name : drop)
            files.push_back({name, unusable.count(name) ? "" : name, name, stamps[name]});
        return files;
    }
    bool IsHeldOpen(const std::string& path) override { return held_open.count(path) > 0; }
    bool FileExists(const std::string& path) override { return existing.count(path) > 0; }
    bool Launch(const std::string& command, int32_t& task_id) override {
        trace.push_back("launch " + command);
        const std::string source =
            command.substr(command.find(' ') + 1, command.rfind(' ') - command.find(' ') - 1);
        const std::string target = command.substr(command.rfind(' ') + 1);
        const Converter c = converters[source];
        if (c.launch_fails)
            return false;
        launched[target] = {c.appears == kNever ? kNever : now + c.appears, c.opens};
        launch_times.push_back(now);
        task_id = next_task++;
        return true;
    }
    void DoEvents() override {
        trace.push_back("events");
        if (on_events)
            on_events();
    }
    void Sleep(int32_t ms) override {
        trace.push_back("sleep " + std::to_string(ms));
        now += ms;
    }
    int64_t NowMs() override { return now; }
    bool IsTargetComplete(const std::string& path) override {
        trace.push_back("check " + path);
        auto it = launched.find(path);
        if (it == launched.end() || now < it->second.appears || it->second.opens == 0)
            return false;
        --it->second.opens;
        return true;
    }
    orvalis::DeleteResult DeleteSource(const std::string& path) override {
        trace.push_back("delete " + path);
        const std::string name = path.substr(std::string("D:\\IN\\").size());
        if (undeletable.count(name))
            return orvalis::DeleteResult::Failed;
        drop.erase(std::remove(drop.begin(), drop.end(), name), drop.end());
        return taken.count(name) ? orvalis::DeleteResult::AlreadyGone
                                 : orvalis::DeleteResult::Deleted;
    }
    void AppendErrorLog(const std::string& entry) override { log.push_back(entry); }
    void ShowCritical(const std::string& text) override { trace.push_back("critical " + text); }
    void StopPolling() override { trace.push_back("stop polling"); }
    void SaveCounter(int32_t current) override { saved.push_back(current); }
    void ShowFailing(bool f) override { failing = f; }
    void AnnounceFailure(const std::string& name) override { announced.push_back(name); }

    std::vector<std::string> Launches() const { return Filter("launch "); }
    std::vector<std::string> Sleeps() const { return Filter("sleep "); }
    std::vector<std::string> Filter(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& t : trace)
            if (t.rfind(prefix, 0) == 0)
                out.push_back(t.substr(prefix.size()));
        return out;
    }

  private:
    struct Target {
        long long appears;
        int opens;
    };
    std::map<std::string, Target> launched;
};

class ConversionPass : public ::testing::Test {
  protected:
    ConversionPass() {
        state.Current = 0;
        state.V1 = 500;
        state.BatchFile = "C:\\APP\\ORVALIS.BAT";
        state.DropFolder = "D:\\IN\\";
        state.StoreFolder = "D:\\OUT\\";
    }
    void Run() { orvalis::RunConversionPass(state, book, kPoll, fake); }
    static const int32_t kPoll = 3000;
    static std::string Cmd(const std::string& source, const std::string& target) {
        return "C:\\APP\\ORVALIS.BAT " + source + " " + target;
    }

    ServiceState state;
    orvalis::RetryBook book;
    FakePlatform fake;
};

TEST_F(ConversionPass, EmptyDropFolderChangesNothing) {
    state.Current = 41;
    Run();
    EXPECT_FALSE(state.Busy);
    EXPECT_EQ(41, state.Current);
    EXPECT_TRUE(fake.trace.empty());
    EXPECT_TRUE(fake.saved.empty());
}

TEST_F(ConversionPass, FilesGetConsecutiveNumbersInListingOrder) {
    fake.drop = {"c.awd", "a.awd", "b.awd"};
    Run();
    EXPECT_EQ((std::vector<std::string>{Cmd("D:\\IN\\c.awd", "D:\\OUT\\Fax_00001.tif"),
                                        Cmd("D:\\IN\\a.awd", "D:\\OUT\\Fax_00002.tif"),
                                        Cmd("D:\\IN\\b.awd", "D:\\OUT\\Fax_00003.tif")}),
              fake.Launches());
    EXPECT_TRUE(fake.drop.empty());
    EXPECT_EQ(3, state.Current);
    EXPECT_EQ((std::vector<int32_t>{1, 2, 3}), fake.saved) << "each number is kept at once";
    EXPECT_TRUE(fake.log.empty());
    EXPECT_FALSE(state.Busy);
}

TEST_F(ConversionPass, OneSuccessfulFileStepByStep) {
    fake.drop = {"r.awd"};
    Run();
    const std::vector<std::string> expected = {
        "launch " + Cmd("D:\\IN\\r.awd", "D:\\OUT\\Fax_00001.tif"),
        "events",
        "sleep 500",
        "events",
        "check D:\\OUT\\Fax_00001.tif",
        "events",
        "check D:\\OUT\\Fax_00001.tif",
        "delete D:\\IN\\r.awd",
        "events",
        "sleep 500",
    };
    EXPECT_EQ(expected, fake.trace);
}

TEST_F(ConversionPass, NumberAfter99999WrapsToFiveZeros) {
    state.Current = 99999;
    fake.drop = {"r.awd"};
    Run();
    EXPECT_EQ(std::vector<std::string>{Cmd("D:\\IN\\r.awd", "D:\\OUT\\Fax_00000.tif")},
              fake.Launches());
    EXPECT_EQ(100000, state.Current);
}

TEST_F(ConversionPass, TifThatAppearsBeforeTheSecondTestCountsAsConverted) {
    fake.drop = {"slow.awd"};
    fake.converters["D:\\IN\\slow.awd"].appears = 1200; // after the first test, before the second
    Run();
    EXPECT_EQ((std::vector<std::string>{"500", "1000", "500"}), fake.Sleeps());
    EXPECT_TRUE(fake.drop.empty());
    EXPECT_TRUE(fake.log.empty());
}

TEST_F(ConversionPass, TifGoneByTheSecondTestCountsAsFailed) {
    fake.drop = {"r.awd"};
    fake.converters["D:\\IN\\r.awd"].opens = 1; // gone again by the second test
    Run();
    ASSERT_EQ(1u, fake.log.size());
    EXPECT_EQ("ERROR: Cannot convert the awd file! [100]\r\n           " +
                  Cmd("D:\\IN\\r.awd", "D:\\OUT\\Fax_00001.tif") + "\r\n",
              fake.log[0]);
    EXPECT_EQ(std::vector<std::string>{"r.awd"}, fake.drop) << "the source stays";
    EXPECT_EQ(0u, fake.Filter("delete ").size());
}

TEST_F(ConversionPass, FailedSourceIsNotRetriedInTheSamePass) {
    fake.drop = {"bad.awd", "good.awd"};
    fake.converters["D:\\IN\\bad.awd"].appears = kNever;
    Run();
    EXPECT_EQ((std::vector<std::string>{Cmd("D:\\IN\\bad.awd", "D:\\OUT\\Fax_00001.tif"),
                                        Cmd("D:\\IN\\good.awd", "D:\\OUT\\Fax_00002.tif")}),
              fake.Launches());
    EXPECT_EQ(1u, fake.log.size());
    EXPECT_EQ(std::vector<std::string>{"bad.awd"}, fake.drop);
    EXPECT_FALSE(state.Busy);

    Run();
    EXPECT_EQ(2u, fake.Launches().size()) << "it waits one polling interval first";
    fake.now += kPoll;
    Run(); // then it is tried again, under a new number
    EXPECT_EQ(Cmd("D:\\IN\\bad.awd", "D:\\OUT\\Fax_00003.tif"), fake.Launches().back());
    EXPECT_EQ(2u, fake.log.size());
}

TEST_F(ConversionPass, TickDuringThePassReturnsAtOnce) {
    fake.drop = {"a.awd", "b.awd"};
    int nested = 0;
    fake.on_events = [&] {
        const size_t before = fake.trace.size();
        const int32_t current = state.Current;
        ++nested;
        orvalis::RunConversionPass(state, book, kPoll, fake);
        EXPECT_EQ(before, fake.trace.size());
        EXPECT_EQ(current, state.Current);
        EXPECT_TRUE(state.Busy);
    };
    Run();
    EXPECT_GT(nested, 0);
    EXPECT_EQ(2u, fake.Launches().size());
    EXPECT_FALSE(state.Busy);
}

TEST_F(ConversionPass, UndeletableSourceWarnsStopsPollingAndEndsThePass) {
    fake.drop = {"ro.awd", "next.awd"};
    fake.undeletable = {"ro.awd"};
    Run();
    const std::vector<std::string> tail(fake.trace.end() - 3, fake.trace.end());
    EXPECT_EQ((std::vector<std::string>{
                  "delete D:\\IN\\ro.awd",
                  "critical WARNING: Cannot remove the awd file from the drop folder!\r\n"
                  "Please make sure that the file is not 'read only'...",
                  "stop polling"}),
              tail);
    EXPECT_EQ(1u, fake.Launches().size()) << "next.awd waits until polling is on again";
    EXPECT_FALSE(state.Busy);
    EXPECT_TRUE(fake.log.empty());
}

TEST_F(ConversionPass, ExistingTargetsArePassedOver) {
    state.Current = 4; // as after a reset by Setup, or a killed process
    fake.existing = {"D:\\OUT\\Fax_00005.tif", "D:\\OUT\\Fax_00006.tif"};
    fake.drop = {"r.awd"};
    Run();
    EXPECT_EQ(std::vector<std::string>{Cmd("D:\\IN\\r.awd", "D:\\OUT\\Fax_00007.tif")},
              fake.Launches());
    EXPECT_EQ(7, state.Current);
    EXPECT_EQ(std::vector<int32_t>{7}, fake.saved);
}

TEST_F(ConversionPass, FullStoreFailsInsteadOfLoopingForever) {
    for (int i = 0; i < 100000; ++i)
        fake.existing.insert("D:\\OUT\\" + std::string("Fax_") +
                             std::to_string(100000 + i).substr(1) + ".tif");
    fake.drop = {"r.awd"};
    Run();
    EXPECT_TRUE(fake.Launches().empty());
    EXPECT_EQ(1u, fake.log.size());
    EXPECT_EQ(std::vector<std::string>{"r.awd"}, fake.drop);
}

TEST_F(ConversionPass, SourceStillBeingWrittenIsLeftForALaterPass) {
    fake.drop = {"busy.awd", "r.awd"};
    fake.held_open = {"D:\\IN\\busy.awd"};
    Run();
    EXPECT_EQ(std::vector<std::string>{Cmd("D:\\IN\\r.awd", "D:\\OUT\\Fax_00001.tif")},
              fake.Launches());
    EXPECT_EQ(1, state.Current) << "no number is spent on it";
    EXPECT_TRUE(fake.log.empty());

    fake.held_open.clear();
    Run();
    EXPECT_EQ(Cmd("D:\\IN\\busy.awd", "D:\\OUT\\Fax_00002.tif"), fake.Launches().back());
    EXPECT_TRUE(fake.drop.empty());
}

TEST_F(ConversionPass, NameThatCannotBePassedSafelyIsLoggedNotLaunched) {
    fake.drop = {"100%.awd", "a&b c.awd"};
    Run();
    EXPECT_EQ(std::vector<std::string>{"C:\\APP\\ORVALIS.BAT \"D:\\IN\\a&b c.awd\" "
                                       "D:\\OUT\\Fax_00002.tif"},
              fake.Launches());
    ASSERT_EQ(1u, fake.log.size());
    EXPECT_EQ("ERROR: Cannot convert the awd file! [0]\r\n           C:\\APP\\ORVALIS.BAT "
              "\"D:\\IN\\100%.awd\" D:\\OUT\\Fax_00001.tif\r\n",
              fake.log[0]);
    EXPECT_EQ(std::vector<std::string>{"100%.awd"}, fake.drop);
}

TEST_F(ConversionPass, LaunchFailureIsLoggedWithTaskZeroAndThePassGoesOn) {
    fake.drop = {"a.awd", "b.awd"};
    fake.converters["D:\\IN\\a.awd"].launch_fails = true;
    Run();
    ASSERT_EQ(1u, fake.log.size());
    EXPECT_EQ(0u, fake.log[0].find("ERROR: Cannot convert the awd file! [0]\r\n"));
    EXPECT_EQ(std::vector<std::string>{"a.awd"}, fake.drop);
    EXPECT_EQ(2, state.Current);
}

TEST_F(ConversionPass, DoubleWaitThatDoesNotFitIsSkipped) {
    state.V1 = 1500000000;
    fake.drop = {"r.awd"};
    fake.converters["D:\\IN\\r.awd"].appears = kNever;
    Run();
    EXPECT_EQ(std::vector<std::string>{"1500000000"}, fake.Sleeps());
    EXPECT_EQ(1u, fake.log.size());
}

TEST_F(ConversionPass, FailingFileWaitsLongerAfterEachFailureUpToAQuarterHour) {
    fake.drop = {"bad.awd"};
    fake.converters["D:\\IN\\bad.awd"].appears = kNever;
    for (fake.now = 0; fake.now < 3600000; fake.now += kPoll)
        Run(); // a tick one interval after the last pass ended

    // Worked out by hand: the waits 3, 6, 12 ... 768 s, then 900 s, each
    // after an attempt of 1.5 s, leave room for 12 attempts in the hour.
    EXPECT_EQ(12u, fake.log.size());
    const long long attempt = 3 * state.V1;
    for (size_t i = 1; i < fake.launch_times.size(); ++i) {
        const long long wait = std::min<long long>(kPoll * (1LL << (i - 1)), 900000);
        const long long gap = fake.launch_times[i] - fake.launch_times[i - 1];
        EXPECT_GE(gap, attempt + wait) << "after failure " << i;
        EXPECT_LE(gap, attempt + wait + kPoll) << "after failure " << i;
    }
    EXPECT_EQ(std::vector<std::string>{"bad.awd"}, fake.announced) << "announced once";
    EXPECT_TRUE(fake.failing);
}

TEST_F(ConversionPass, WaitEndsWhenTheFileChangesOrTheUserAsks) {
    fake.drop = {"bad.awd"};
    fake.converters["D:\\IN\\bad.awd"].appears = kNever;
    Run();
    Run();
    EXPECT_EQ(1u, fake.Launches().size());

    fake.stamps["bad.awd"].size = 99; // replaced
    Run();
    EXPECT_EQ(2u, fake.Launches().size());

    book.EndWaits(); // "Enabled" checked again
    Run();
    EXPECT_EQ(3u, fake.Launches().size());

    fake.drop.clear(); // removed: forgotten, and the warning goes
    Run();
    EXPECT_FALSE(fake.failing);
    fake.drop = {"bad.awd"};
    Run();
    EXPECT_EQ(4u, fake.Launches().size()) << "a new file of the same name is tried at once";
    EXPECT_EQ(2u, fake.announced.size());
}

TEST_F(ConversionPass, WarningStaysUntilTheFailingFileConverts) {
    fake.drop = {"bad.awd", "good.awd"};
    fake.converters["D:\\IN\\bad.awd"].appears = kNever;
    Run();
    EXPECT_TRUE(fake.failing) << "one file failing is enough";
    EXPECT_EQ(std::vector<std::string>{"bad.awd"}, fake.announced);

    fake.converters["D:\\IN\\bad.awd"].appears = 0;
    fake.now += kPoll;
    Run();
    EXPECT_TRUE(fake.drop.empty());
    EXPECT_FALSE(fake.failing);
}

TEST_F(ConversionPass, FileWithoutAUsableNameIsReportedOnceAndNeverTouched) {
    fake.drop = {"a?..?x.awd", "b.awd"};
    fake.unusable = {"a?..?x.awd"};
    for (int i = 0; i < 3; ++i, fake.now += RetryBookLongestWait())
        Run();
    EXPECT_EQ(std::vector<std::string>{Cmd("D:\\IN\\b.awd", "D:\\OUT\\Fax_00002.tif")},
              fake.Launches());
    ASSERT_EQ(1u, fake.log.size());
    EXPECT_EQ("ERROR: Cannot convert the awd file! [0]\r\n           C:\\APP\\ORVALIS.BAT "
              "\"D:\\IN\\a?..?x.awd\" D:\\OUT\\Fax_00001.tif\r\n",
              fake.log[0]);
    EXPECT_EQ(std::vector<std::string>{"a?..?x.awd"}, fake.announced);
    EXPECT_EQ(0u, fake.Filter("delete D:\\IN\\a").size());
    EXPECT_TRUE(fake.failing);
}

TEST_F(ConversionPass, SourceAlreadyTakenByAnotherWatcherCountsAsConverted) {
    fake.drop = {"a.awd", "b.awd"};
    fake.taken = {"a.awd"};
    Run();
    EXPECT_EQ(2u, fake.Launches().size());
    EXPECT_TRUE(fake.Filter("critical").empty());
    EXPECT_TRUE(fake.Filter("stop").empty());
    EXPECT_TRUE(fake.log.empty());
}

} // namespace
