#include "core/conversion_pass.h"

#include "core/command_line.h"
#include "core/file_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

using namespace orvalis;

static bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

static std::string Err(int32_t task_id, const std::string& command) {
    return ErrorLogEntry(task_id, "\"C:\\A B\\O.BAT\" " + command);
}

// Drop folder I, store O, batch file C:\A B\O.BAT (the blank has to be quoted),
// a poll every 3 s. A file's name says how it behaves: "held" is still being
// written, "nostart" cannot be launched, "once" is whole at the first look
// only, "slow" from the second on, "bad" never until `cured`, "readonly"
// cannot be deleted, "taken" is deleted by someone else first, and "?" has no
// usable name. Another PC sharing the store can take a number at a `step`.
// The converter runs for `converter_ms`; the user can stop the pass (Close,
// Enabled) in its first wait.
class Fake : public PassPlatform {
  public:
    Fake(int32_t current, int stored, std::vector<std::string> names, int32_t v1 = 500)
        : state{false, current, v1, "C:\\A B\\O.BAT", "I\\", "O\\"}, drop(names), taken(stored) {}
    ServiceState state;
    RetryBook book;
    std::vector<std::string> drop, announced;
    std::string command, seen, trace, log;        // seen: the launches and what the user is shown
    int taken, depth = 0, failing = 0, cured = 0; // taken: TIFs stored from Fax_00001 on
    long long now = 0, size = 0, ends = 0, converter_ms = 1LL << 40; // size: of every file
    bool going = true, stop_in_wait = false;
    std::set<std::string> store; // what other PCs put there
    std::string step;            // "look", "reserve" or "convert"
    std::string refuse;          // "marker" or "check": the store's error, for every number

    // Runs a pass; tells the launches so far, with ! while the warning shows.
    std::string Run() {
        RunConversionPass(state, book, 3000, *this);
        return std::to_string(std::count(seen.begin(), seen.end(), '|')) + (failing ? "! " : " ");
    }

    std::vector<ListedFile> ListAwdFiles(const std::string&) override {
        std::vector<ListedFile> files;
        for (const std::string& n : drop)
            files.push_back({n, Has(n, "?") ? "" : n, n, {uint64_t(size), 0}});
        return files;
    }
    bool IsHeldOpen(const std::string& path) override { return Has(path, "held"); }
    bool OtherPcAt(const char* now) { return std::exchange(step, step == now ? "" : step) == now; }
    bool FileExists(const std::string& path) override {
        const bool exists =
            store.count(path) || (std::stoi(path.substr(6, 5)) + 99999) % 100000 < taken;
        if (OtherPcAt("look"))
            store.insert(MarkerOf(path)); // and converts into it from now on
        return exists;
    }
    ReserveResult Reserve(const std::string& marker) override {
        if (refuse == "marker")
            return ReserveResult::Failed;
        if (!store.insert(marker).second)
            return ReserveResult::Taken;
        if (OtherPcAt("reserve")) // it had the number and has just finished
            store.insert(marker.substr(0, marker.size() - 5));
        return ReserveResult::Reserved;
    }
    TargetCheck TargetAbsent(const std::string& path) override {
        return refuse == "check"   ? TargetCheck::Failed
               : store.count(path) ? TargetCheck::Present
                                   : TargetCheck::Absent;
    }
    void Release(const std::string& marker) override { store.erase(marker); }
    void ReleaseAfterConverter(const std::string& marker) override {
        if (now >= ends)
            store.erase(marker);
    }
    bool Launch(const std::string& line, int32_t& task_id) override {
        if (OtherPcAt("convert")) // the number after ours
            store.insert("O\\Fax_00002.tif.lock");
        seen += (command = line).substr(15) + "|";
        trace += "launch|";
        ends = now + converter_ms;
        return !Has(line, "nostart") && (task_id = 77); // the id is left alone when it fails
    }
    // A timer tick can come in whenever the pass waits; the first wait gets one.
    void Wait(int32_t ms) override {
        if (depth++ == 0)
            Run();
        going = going && !stop_in_wait;
        now += ms;
    }
    void WaitForConverter(int32_t ms) override {
        Wait(int32_t(std::min<long long>(ms, std::max(0LL, ends - now))));
    }
    bool KeepGoing() override { return going; }
    int64_t NowMs() override { return now; }
    bool IsTargetComplete(const std::string& path) override {
        const bool first = trace.size() - trace.rfind("launch|") == 7; // no look yet
        trace += "look " + path.substr(6, 5) + " at " + std::to_string(now) + "|";
        if (Has(command, "once") || Has(command, "slow"))
            return Has(command, "once") == first;
        return !Has(command, "bad") || cured;
    }
    DeleteResult DeleteSource(const std::string& path) override {
        trace += "delete " + path + "|";
        if (Has(path, "readonly"))
            return DeleteResult::Failed;
        drop.erase(std::remove(drop.begin(), drop.end(), path.substr(2)), drop.end());
        return Has(path, "taken") ? DeleteResult::AlreadyGone : DeleteResult::Deleted;
    }
    void AppendErrorLog(const std::string& entry) override { log += entry; }
    void ShowCritical(const std::string& text) override { seen += text + "|"; }
    void StopPolling() override { seen += "stop|"; }
    void SaveCounter(int32_t current) override { trace += "save " + std::to_string(current) + "|"; }
    void ShowFailing(bool on) override { failing = on; }
    void AnnounceFailure(const std::string& name) override { announced.push_back(name); }
};

// Numbers go on past 99999 to 00000 and pass over TIFs already stored. Each
// number is kept before the converter runs, and the second look decides.
TEST(ConversionPass, OnePassOverEveryKindOfFile) {
    Fake fake(99998, 2,
              {"held.awd", "slowtaken.awd", "once.awd", "nostart.awd", "100%.awd", "a&b c.awd",
               "readonly.awd", "b.awd"});
    EXPECT_EQ("7! ", fake.Run()) << "five launches, the box, the stop; and the icon warns";
    EXPECT_EQ("I\\slowtaken.awd O\\Fax_99999.tif|I\\once.awd O\\Fax_00000.tif|"
              "I\\nostart.awd O\\Fax_00003.tif|\"I\\a&b c.awd\" O\\Fax_00005.tif|"
              "I\\readonly.awd O\\Fax_00006.tif|WARNING: Cannot remove the awd file from the drop "
              "folder!\r\nPlease make sure that the file is not 'read only'...|stop|",
              fake.seen);
    EXPECT_EQ(Err(77, "I\\once.awd O\\Fax_00000.tif") + Err(0, "I\\nostart.awd O\\Fax_00003.tif") +
                  Err(0, "\"I\\100%.awd\" O\\Fax_00004.tif"),
              fake.log);
    EXPECT_EQ(std::set<std::string>{"O\\Fax_00000.tif.lock"}, fake.store)
        << "kept only while a failed converter runs";
    EXPECT_EQ(0u, fake.trace.find("save 99999|launch|look 99999 at 500|look 99999 at 1500|delete "
                                  "I\\slowtaken.awd|save 100000|launch|look 00000 at 2500|"))
        << fake.trace;
    Fake full(0, 100000, {"r.awd"});
    full.Run();
    EXPECT_EQ(Err(0, "I\\r.awd "), full.log) << "every number taken";
    // Only a file that exists moves on to the next number: any other error,
    // from the marker or from the check, fails the attempt once.
    for (const char* refused : {"marker", "check"}) {
        Fake store(0, 0, {"r.awd"});
        store.refuse = refused;
        store.Run();
        EXPECT_EQ(Err(0, "I\\r.awd O\\Fax_00001.tif") + "0",
                  store.log + std::to_string(store.store.size()))
            << refused << ": one number, one entry, no marker left";
    }
    Fake huge(0, 0, {"bad.awd"}, 1500000000);
    huge.Run();
    EXPECT_EQ(1500000000, huge.now) << "twice V1 does not fit and is left out";
}

// Another PC sharing the store takes a number right after our look, right
// after our reservation (it had the number and finished), or while we convert.
TEST(ConversionPass, NoNumberIsHandedOutTwiceInASharedStore) {
    // When the other PC acts; a.awd's and b.awd's numbers and what is left in
    // the store: ours are all released.
    const char* const cases[][2] = {{"", "1 2 "},
                                    {"look", "2 3 O\\Fax_00001.tif.lock "},
                                    {"reserve", "2 3 O\\Fax_00001.tif "},
                                    {"convert", "1 3 O\\Fax_00002.tif.lock "}};
    for (const auto& [step, expected] : cases) {
        Fake fake(0, 0, {"a.awd", "b.awd"});
        fake.step = step;
        fake.Run();
        std::string result = {fake.seen[18], ' ', fake.seen[42], ' '};
        for (const std::string& name : fake.store)
            result += name + " ";
        EXPECT_EQ(expected, result) << step << " " << fake.seen;
    }
}

// A converter that ends is judged at once. Stopped by the user, the pass
// decides the file in hand, pauses no more and starts no other. A failed
// converter still running keeps its number taken.
TEST(ConversionPass, AnEndedConverterIsJudgedAtOnceAndTheUserCanStopThePass) {
    Fake fake(0, 0, {"a.awd", "b.awd"});
    fake.converter_ms = 100;
    fake.stop_in_wait = true;
    fake.Run();
    EXPECT_EQ("save 1|launch|look 00001 at 100|look 00001 at 100|delete I\\a.awd|100",
              fake.trace + std::to_string(fake.now));
    for (long long ms : {100LL, 1LL << 40}) {
        Fake bad(0, 0, {"bad.awd"});
        bad.converter_ms = ms;
        bad.Run();
        EXPECT_EQ(ms > 100, bad.store.count("O\\Fax_00001.tif.lock")) << ms;
    }
}

// Worked out by hand: waits of 3, 6, 12 ... 768 s, then 900 s, each after an
// attempt of 1.5 s, leave room for 12 attempts in the first hour. A file
// without a usable name is logged and announced once and never touched.
TEST(ConversionPass, FailingFilesWaitAndWarnUntilTheyConvert) {
    Fake fake(0, 0, {"a?x.awd", "bad.awd"});
    for (fake.now = 0; fake.now < 3600000; fake.now += 3000)
        fake.Run();
    EXPECT_EQ(0u, fake.log.find(Err(0, "\"I\\a?x.awd\" O\\Fax_00001.tif"))) << fake.log;
    std::string tally = fake.Run();
    fake.size = 99; // replaced
    tally += fake.Run();
    fake.book.EndWaits(); // "Enabled" checked again
    tally += fake.Run();
    fake.drop.clear();
    tally += fake.Run();
    fake.drop = {"bad.awd"}; // a new file under the old name
    tally += fake.Run();
    fake.cured = true;
    fake.now += 3000;
    tally += fake.Run();
    EXPECT_EQ("12! 13! 14! 14 15! 16 ", tally);
    EXPECT_EQ((std::vector<std::string>{"a?x.awd", "bad.awd", "bad.awd"}), fake.announced);
}
