#include "core/conversion_pass.h"

#include "core/command_line.h"
#include "core/file_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>
#include <utility>

using namespace orvalis;

static std::string Err(int32_t task_id, const std::string& command) {
    return ErrorLogEntry(task_id, "\"C:\\A B\\O.BAT\" " + command);
}

// Everything around the pass, with the clock and what happened, in order.
// A timer tick comes in during the first wait; the user can stop the pass
// (Enabled) or close the program there.
struct FakeHost : PassHost {
    long long now = 0;
    // In order: "#N" number N saved, "run" a launch, "N@ms" a look at TIF N,
    // "-x.awd" a delete, "end" a converter ended, "box" the warning shown.
    std::string trace;
    std::string seen; // the launch lines, the box and the stop, as the user sees them
    std::string log, announced;
    std::function<void()> tick;
    bool stop_in_wait = false, close_in_wait = false, failing = false;
    int waits = 0;

    void Wait(int32_t ms) override {
        if (waits++ == 0)
            tick();
        now += Closing() ? 0 : ms;
    }
    bool KeepGoing() override { return !waits || !(stop_in_wait || close_in_wait); }
    bool Closing() override { return waits && close_in_wait; }
    int64_t NowMs() override { return now; }
    void SaveCounter(int32_t current) override { trace += "#" + std::to_string(current) + " "; }
    void AppendErrorLog(const std::string& entry) override { log += entry; }
    void ShowWarning(const std::string& text) override {
        seen += text + "|";
        trace += "box ";
    }
    void StopPolling() override { seen += "stop|"; }
    void ShowFailing(bool on) override { failing = on; }
    void AnnounceFailure(const std::string& name) override { announced += name + " "; }
};

// Drop folder I, listed in the order given, every file `size` bytes. A name
// with "?" has no ANSI form that could be used.
struct FakeDrop : DropFiles {
    FakeDrop(FakeHost& host, std::vector<std::string> files) : host(host), files(files) {}
    FakeHost& host;
    std::vector<std::string> files;
    std::set<std::string> held, readonly, taken_by_others, replaced_after_each_run,
        open_elsewhere; // its name stays after the delete
    uint64_t size = 0;
    int read = 0, rereads = 0;
    bool unreadable = false; // the next listing fails

    ListResult ListAwdFiles(const std::string&, const std::function<bool(const ListedFile&)>& visit,
                            bool reread) override {
        rereads += reread;
        if (std::exchange(unreadable, false))
            return ListResult::Failed;
        for (const std::string& n : files)
            if (++read, !visit({n, n.find('?') != n.npos ? "" : n, n, {size, 0}}))
                return ListResult::Stopped;
        return ListResult::Complete;
    }
    SourceCheck CheckSource(const std::string&, const std::string& name, FileStamp&) override {
        return held.count(name) ? SourceCheck::HeldOpen : SourceCheck::Ready;
    }
    DeleteResult DeleteSource(const std::string&, const std::string& name,
                              const FileStamp&) override {
        host.trace += "-" + name + " ";
        if (replaced_after_each_run.count(name)) {
            ++size; // so the listing's stamp changes too
            return DeleteResult::Changed;
        }
        if (readonly.count(name))
            return DeleteResult::Failed;
        if (!open_elsewhere.count(name))
            files.erase(std::remove(files.begin(), files.end(), name), files.end());
        return taken_by_others.count(name) ? DeleteResult::AlreadyGone : DeleteResult::Deleted;
    }
    bool WaitUntilGone(const std::string&, const std::string& name, int32_t ms) override {
        if (open_elsewhere.count(name))
            host.Wait(ms);
        return !open_elsewhere.count(name);
    }
};

// Store O: `stored` TIFs from Fax_00001 on, and `files` besides. Another PC
// sharing it takes a number at its `step`: right after our "look", or right
// after our "reserve" (it had the number and finished). A store that
// `refuses` the "marker" or the "check" does so for every number. Whether a
// TIF is whole is the converter's doing.
struct FakeStore : FaxStore {
    FakeHost& host;
    int stored = 0;
    std::set<std::string> files;
    std::string step, refuses, indexed;
    int looks = 0; // since the last launch
    std::function<bool(const std::string& path, bool first_look)> whole;

    explicit FakeStore(FakeHost& host) : host(host) {}
    bool OtherPcAt(const char* now) { return std::exchange(step, step == now ? "" : step) == now; }
    bool FileExists(const std::string& path) override {
        const bool exists =
            files.count(path) || (std::stoi(path.substr(6, 5)) + 99999) % 100000 < stored;
        if (OtherPcAt("look"))
            files.insert(MarkerOf(path)); // and converts into it from now on
        return exists;
    }
    ReserveResult Reserve(const std::string& marker, const std::string&, uint64_t) override {
        if (refuses == "marker")
            return ReserveResult::Failed;
        if (!files.insert(marker).second)
            return ReserveResult::Taken;
        if (OtherPcAt("reserve"))
            files.insert(marker.substr(0, marker.size() - 5));
        return ReserveResult::Reserved;
    }
    TargetCheck TargetAbsent(const std::string& path) override {
        return refuses == "check"  ? TargetCheck::Failed
               : files.count(path) ? TargetCheck::Present
                                   : TargetCheck::Absent;
    }
    void Release(const std::string& path) override { files.erase(path); }
    void RecordStored(const std::string& target, const std::string& awd, uint64_t bytes,
                      int64_t ms) override {
        indexed += target.substr(2) + " " + awd + " " + std::to_string(bytes) + " " +
                   std::to_string(ms) + "|";
    }
    std::vector<Leftover> OwnMarkers(const std::string&) override {
        return {{"O\\Fax_00001.tif.lock", "a.awd", 5}, {"O\\Fax_00002.tif.lock", "b.awd", 7}};
    }
    bool IsTargetComplete(const std::string& path) override {
        host.trace +=
            std::to_string(std::stoi(path.substr(6, 5))) + "@" + std::to_string(host.now) + " ";
        return whole(path, looks++ == 0);
    }
};

// The converter: each run takes `ms`, and its TIF is whole from the first
// look on, but for the files named below. Its process id is 77.
struct FakeConverter : Converter {
    FakeHost& host;
    FakeStore& store;
    long long ms = 100, ends = 0;
    std::string source; // of the run last launched
    std::set<std::string> cannot_start, whole_at_first_look_only, whole_from_second_look,
        broken,    // until `cured`
        hangs,     // never ends, writing as it goes
        lingers,   // whole at 1000 ms, but something it started never ends
        long_runs; // 5 x V1, writing as it goes, whole at its end
    bool cured = false;

    FakeConverter(FakeHost& host, FakeStore& store) : host(host), store(store) {
        store.whole = [this](const std::string&, bool first) { return Whole(first); };
    }
    bool Launch(const std::string& line, int32_t& task_id) override {
        host.seen += line.substr(15) + "|";
        host.trace += "run ";
        store.looks = 0;
        const size_t from = line.find("I\\") + 2;
        source = line.substr(from, line.find(".awd", from) + 4 - from);
        ends = host.now + (hangs.count(source) || lingers.count(source) ? 1LL << 40
                           : long_runs.count(source)                    ? 5 * 500
                                                                        : ms);
        if (hangs.count(source) || long_runs.count(source))
            store.files.insert(line.substr(line.size() - 15));
        return !cannot_start.count(source) && (task_id = 77); // left alone when it fails
    }
    bool WaitForEnd(int32_t wait_ms) override {
        host.Wait(int32_t(std::min<long long>(wait_ms, std::max(0LL, ends - host.now))));
        return host.now >= ends;
    }
    void End() override {
        host.trace += "end ";
        ends = host.now;
    }
    bool Whole(bool first_look) const {
        if (whole_at_first_look_only.count(source) || whole_from_second_look.count(source))
            return whole_at_first_look_only.count(source) == first_look;
        if (lingers.count(source))
            return host.now >= 1000;
        if (hangs.count(source) || long_runs.count(source))
            return long_runs.count(source) && host.now >= ends;
        return !broken.count(source) || cured;
    }
};

// The pass with drop folder I, store O, batch file C:\A B\O.BAT (the blank
// has to be quoted), V1 = 500 ms and a poll every 3 s.
struct Bench {
    Bench(int32_t current, int stored, std::vector<std::string> names)
        : drop(host, names), store(host),
          converter(host, store), state{false, current, 500, "C:\\A B\\O.BAT", "I\\", "O\\"} {
        store.stored = stored;
        host.tick = [this] { Run(); };
    }
    // Runs a pass; tells the launches so far, with ! while the warning shows.
    std::string Run() {
        RunConversionPass(state, book, 3000, {drop, store, converter, host});
        return std::to_string(std::count(host.seen.begin(), host.seen.end(), '|')) +
               (host.failing ? "! " : " ");
    }
    FakeHost host;
    FakeDrop drop;
    FakeStore store;
    FakeConverter converter;
    ServiceState state;
    RetryBook book;
};

// Numbers go on past 99999 to 00000 and pass over TIFs already stored. Each
// number is kept before the converter runs, and the second look decides.
TEST(ConversionPass, OnePassOverEveryKindOfFile) {
    Bench fake(99998, 2,
               {"held.awd", "slowtaken.awd", "once.awd", "nostart.awd", "100%.awd", "a&b c.awd",
                "readonly.awd", "b.awd"});
    fake.drop.held = {"held.awd"};
    fake.drop.taken_by_others = {"slowtaken.awd"};
    fake.drop.readonly = {"readonly.awd"};
    fake.converter.whole_from_second_look = {"slowtaken.awd"};
    fake.converter.whole_at_first_look_only = {"once.awd"};
    fake.converter.cannot_start = {"nostart.awd"};
    EXPECT_EQ("7! ", fake.Run()) << "five launches, the box, the stop; and the icon warns";
    EXPECT_EQ("I\\slowtaken.awd O\\Fax_99999.tif|I\\once.awd O\\Fax_00000.tif|"
              "I\\nostart.awd O\\Fax_00003.tif|\"I\\a&b c.awd\" O\\Fax_00005.tif|"
              "I\\readonly.awd O\\Fax_00006.tif|" +
                  std::string(kDeleteWarning) + "|stop|",
              fake.host.seen);
    EXPECT_EQ(Err(77, "I\\once.awd O\\Fax_00000.tif") + Err(0, "I\\nostart.awd O\\Fax_00003.tif") +
                  Err(0, "\"I\\100%.awd\" O\\Fax_00004.tif"),
              fake.host.log);
    EXPECT_EQ(std::set<std::string>{}, fake.store.files) << "every marker released";
    EXPECT_EQ("Fax_99999.tif slowtaken.awd 0 100|Fax_00005.tif a&b c.awd 0 100|Fax_00006.tif "
              "readonly.awd 0 100|",
              fake.store.indexed);
    EXPECT_EQ(0u, fake.host.trace.find("#99999 run 99999@100 99999@1100 -slowtaken.awd #100000 "
                                       "run 0@1200 "))
        << fake.host.trace;
    Bench full(0, 100000, {"r.awd"});
    full.Run();
    EXPECT_EQ(Err(0, "I\\r.awd "), full.host.log) << "every number taken";
    // Only a file that exists moves on to the next number: any other error,
    // from the marker or from the check, fails the attempt once.
    for (const char* refused : {"marker", "check"}) {
        Bench store(0, 0, {"r.awd"});
        store.store.refuses = refused;
        store.Run();
        EXPECT_EQ(Err(0, "I\\r.awd O\\Fax_00001.tif") + "0",
                  store.host.log + std::to_string(store.store.files.size()))
            << refused << ": one number, one entry, no marker left";
    }
}

// Another PC sharing the store takes a number right after our look, or right
// after our reservation (it had the number and finished).
TEST(ConversionPass, NoNumberIsHandedOutTwiceInASharedStore) {
    // When the other PC acts; a.awd's and b.awd's numbers and what is left in
    // the store: ours are all released.
    const char* const cases[][2] = {{"look", "2 3 O\\Fax_00001.tif.lock "},
                                    {"reserve", "2 3 O\\Fax_00001.tif "}};
    for (const auto& [step, expected] : cases) {
        Bench fake(0, 0, {"a.awd", "b.awd"});
        fake.store.step = step;
        fake.Run();
        std::string result = {fake.host.seen[18], ' ', fake.host.seen[42], ' '};
        for (const std::string& name : fake.store.files)
            result += name + " ";
        EXPECT_EQ(expected, result) << step << " " << fake.host.seen;
    }
}

// A converter is judged once it has ended, and no other runs beside it: a
// slow one is waited for, one that hangs is ended at the ceiling, logged and
// set aside. Stopped by the user, the pass decides the file in hand, pauses
// no more and starts no other; at Close, a converter still running is ended
// and its AWD waits for the next start. Nothing half-written stays.
TEST(ConversionPass, EveryConverterIsWatchedToItsEnd) {
    // The first file, how long the converter runs, whether the user stops
    // the pass or closes the program; the trace, then what stays.
    const std::tuple<const char*, int, char, const char*> cases[] = {
        {"long.awd", 100, ' ',
         "#1 run 1@500 1@2500 -long.awd #2 run 2@2600 2@2600 -b.awd O\\Fax_00001.tif "},
        {"hang.awd", 100, ' ',
         "#1 run 1@500 1@300000 end #2 run 2@300100 2@300100 -b.awd hang.awd logged"},
        {"a.awd", 100, 's', "#1 run 1@100 1@100 -a.awd b.awd "},
        {"hang.awd", 100, 'c', "#1 run 1@0 1@0 end b.awd hang.awd "},
        // Whole, but a process it started never ends; at Close, one that
        // cannot be deleted stays without a word.
        {"lingers.awd", 100, ' ',
         "#1 run 1@500 1@300000 end 1@300000 -lingers.awd #2 run 2@300100 2@300100 -b.awd "},
        {"readonly.awd", 0, 'c', "#1 run 1@0 1@0 -readonly.awd b.awd readonly.awd "},
        // Whole at the first look, but still running: it is waited for all
        // the same, and only then is its AWD deleted and the next one started.
        {"a.awd", 2500, ' ', "#1 run 1@500 1@2500 -a.awd #2 run 2@3000 2@5000 -b.awd "},
        // Copied over during its conversion: a new fax, for a later pass.
        {"replaced.awd", 100, ' ',
         "#1 run 1@100 1@100 -replaced.awd #2 run 2@200 2@200 -b.awd replaced.awd "},
    };
    for (const auto& [name, converter_ms, user, expected] : cases) {
        Bench fake(0, 0, {name, "b.awd"});
        fake.converter.long_runs = {"long.awd"};
        fake.converter.hangs = {"hang.awd"};
        fake.converter.lingers = {"lingers.awd"};
        fake.drop.readonly = {"readonly.awd"};
        fake.drop.replaced_after_each_run = {"replaced.awd"};
        fake.converter.ms = converter_ms;
        fake.host.stop_in_wait = user == 's';
        fake.host.close_in_wait = user == 'c';
        fake.Run();
        std::string& trace = fake.host.trace;
        for (const auto& names : {fake.store.files, std::set<std::string>(fake.drop.files.begin(),
                                                                          fake.drop.files.end())})
            for (const std::string& n : names)
                trace += n + " ";
        EXPECT_EQ(expected,
                  trace +
                      (fake.host.log == Err(77, "I\\hang.awd O\\Fax_00001.tif") ? "logged" : ""));
        if (name == std::string("lingers.awd")) { // ended by us: its run until then
            EXPECT_EQ("Fax_00001.tif lingers.awd 0 300000|Fax_00002.tif b.awd 0 100|",
                      fake.store.indexed);
        }
    }
    Bench hung(0, 0, {"hang.awd"});
    hung.converter.hangs = {"hang.awd"};
    hung.Run();
    hung.host.now += 3600000; // long past every back-off
    EXPECT_EQ("1! ", hung.Run()) << "set aside";
    hung.book.EndWaits(); // until Enabled is checked again
    EXPECT_EQ("2! ", hung.Run());
}

// At start, what our own earlier run left: a cut TIF goes with its marker, a
// whole one stays, and the index learns of it.
TEST(ConversionPass, AtStartOurOwnLeftoversGo) {
    Bench fake(0, 0, {});
    fake.store.whole = [](const std::string& path, bool) { return path != "O\\Fax_00001.tif"; };
    fake.store.files = {"O\\Fax_00001.tif", "O\\Fax_00001.tif.lock", "O\\Fax_00002.tif",
                        "O\\Fax_00002.tif.lock"};
    RemoveOwnLeftovers("O\\", fake.store);
    EXPECT_EQ(std::set<std::string>{"O\\Fax_00002.tif"}, fake.store.files);
    EXPECT_EQ("Fax_00002.tif b.awd 7 0|", fake.store.indexed);
}

// Worked out by hand: waits of 3, 6, 12 ... 768 s, then 900 s, each after an
// attempt of 1.5 s, leave room for 12 attempts in the first hour. A file
// without a usable name is logged and announced once and never touched.
TEST(ConversionPass, FailingFilesWaitAndWarnUntilTheyConvert) {
    Bench fake(0, 0, {"a?x.awd", "bad.awd"});
    fake.converter.broken = {"bad.awd"};
    for (fake.host.now = 0; fake.host.now < 3600000; fake.host.now += 3000)
        fake.Run();
    EXPECT_EQ(0u, fake.host.log.find(Err(0, "\"I\\a?x.awd\" O\\Fax_00001.tif"))) << fake.host.log;
    fake.drop.unreadable = true; // a share away for a moment: nothing is forgotten
    std::string tally = fake.Run() + fake.Run();
    fake.drop.size = 99; // replaced: a new start, waiting one poll after it fails
    tally += fake.Run();
    fake.host.now += 3000;
    tally += fake.Run();
    fake.book.EndWaits(); // "Enabled" checked again
    tally += fake.Run();
    fake.drop.files.clear();
    tally += fake.Run();
    fake.drop.files = {"bad.awd"}; // a new file under the old name, tried at once
    fake.converter.cured = true;
    tally += fake.Run();
    EXPECT_EQ("12! 12! 13! 14! 15! 15 16 ", tally);
    EXPECT_EQ("a?x.awd bad.awd ", fake.host.announced);
    // Changed by its own converter: stored twice, then set aside as failing
    // until "Enabled" is checked again, rather than stored at every pass.
    Bench changing(0, 0, {"replaced.awd"});
    changing.drop.replaced_after_each_run = {"replaced.awd"};
    for (changing.host.now = 0; changing.host.now < 3600000; changing.host.now += 3000)
        changing.Run();
    EXPECT_EQ("2! ", changing.Run());
    EXPECT_EQ("replaced.awd ", changing.host.announced);
    Bench open(0, 0, {"open.awd"});
    open.drop.open_elsewhere = {"open.awd"}; // its name stays after the delete
    open.Run();
    open.host.now += 3000;
    EXPECT_EQ("1 ", open.Run()) << "stored once, and not failing";
}

// However many wait, faxes are taken in the listing's order, and each look at
// the folder reads it only up to the fax it takes.
TEST(ConversionPass, EveryFaxOfABacklogCostsTheSame) {
    Bench fake(0, 0, {});
    for (int i = 0; i < 3000; ++i)
        fake.drop.files.push_back(std::to_string(i) + ".awd");
    EXPECT_EQ("3000 ", fake.Run());
    EXPECT_EQ(3000, fake.drop.read) << "files read: only the first of those left, each look";
    EXPECT_EQ(1, fake.drop.rereads) << "the folder itself is read once a pass";
}
