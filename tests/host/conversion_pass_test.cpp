#include "core/conversion_pass.h"

#include "core/command_line.h"
#include "core/file_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>
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
// cannot be deleted, "taken" is deleted by someone else first, "replaced"
// is another file after each conversion, "?" has no usable name and "link"
// leads out of the folder. Another PC sharing the store can take a number at a `step`.
// The converter runs for `converter_ms`, "long" for 5 x V1 and whole only at
// its end, "hang" for ever; the user can stop the pass (Enabled) or close the
// program in its first wait.
class Fake : public PassPlatform {
  public:
    Fake(int32_t current, int stored, std::vector<std::string> names)
        : state{false, current, 500, "C:\\A B\\O.BAT", "I\\", "O\\"}, drop(names), taken(stored) {}
    ServiceState state;
    RetryBook book;
    std::vector<std::string> drop, announced;
    std::string command, seen, trace, log; // seen: the launches and what the user is shown
    int taken, depth = 0, failing = 0, cured = 0, read = 0, rereads = 0; // taken: from Fax_00001 on
    long long now = 0, size = 0, ends = 0, converter_ms = 100;           // size: of every file
    bool going = true, stop_in_wait = false, closing = false, close_in_wait = false;
    bool unreadable = false;     // the next listing fails
    std::set<std::string> store; // what other PCs put there
    std::string step;            // "look", "reserve" or "convert"
    std::string refuse;          // "marker" or "check": the store's error, for every number

    // Runs a pass; tells the launches so far, with ! while the warning shows.
    std::string Run() {
        RunConversionPass(state, book, 3000, *this);
        return std::to_string(std::count(seen.begin(), seen.end(), '|')) + (failing ? "! " : " ");
    }

    ListResult ListAwdFiles(const std::string&, const std::function<bool(const ListedFile&)>& visit,
                            bool reread) override {
        rereads += reread;
        if (std::exchange(unreadable, false))
            return ListResult::Failed;
        for (const std::string& n : drop)
            if (++read, !visit({n, Has(n, "?") ? "" : n, n, {uint64_t(size), 0}}))
                return ListResult::Stopped;
        return ListResult::Complete;
    }
    SourceCheck CheckSource(const std::string&, const std::string& name, FileStamp&) override {
        return Has(name, "held")   ? SourceCheck::HeldOpen
               : Has(name, "link") ? SourceCheck::Elsewhere
                                   : SourceCheck::Ready;
    }
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
    void Release(const std::string& path) override { store.erase(path); }
    std::vector<std::string> OwnMarkers(const std::string&) override {
        return {"O\\Fax_00001.tif.lock", "O\\Fax_00002.tif.lock"};
    }
    bool Launch(const std::string& line, int32_t& task_id) override {
        if (OtherPcAt("convert")) // the number after ours
            store.insert("O\\Fax_00002.tif.lock");
        seen += (command = line).substr(15) + "|";
        trace += "launch|";
        ends = now + (Has(line, "hang") || Has(line, "lingers") ? 1LL << 40
                      : Has(line, "long")                       ? 5 * state.V1
                                                                : converter_ms);
        if (Has(line, "hang") || Has(line, "long")) // it writes as it goes
            store.insert(line.substr(line.size() - 15));
        return !Has(line, "nostart") && (task_id = 77); // the id is left alone when it fails
    }
    // A timer tick can come in whenever the pass waits; the first wait gets one.
    void Wait(int32_t ms) override {
        if (depth++ == 0)
            Run();
        going = going && !stop_in_wait;
        closing = closing || close_in_wait;
        now += closing ? 0 : ms;
    }
    bool WaitForConverter(int32_t ms) override {
        Wait(int32_t(std::min<long long>(ms, std::max(0LL, ends - now))));
        return now >= ends;
    }
    void EndConverter() override {
        trace += "end|";
        ends = now;
    }
    bool KeepGoing() override { return going && !closing; }
    bool Closing() override { return closing; }
    int64_t NowMs() override { return now; }
    bool IsTargetComplete(const std::string& path) override {
        const bool first = trace.size() - trace.rfind("launch|") == 7; // no look yet
        trace += "look " + path.substr(6, 5) + " at " + std::to_string(now) + "|";
        if (Has(command, "once") || Has(command, "slow"))
            return Has(command, "once") == first;
        if (Has(command, "hang") || Has(command, "long") || Has(command, "lingers"))
            return Has(command, "lingers") ? now >= 1000 : Has(command, "long") && now >= ends;
        if (command.empty()) // at start, before any launch: 00001 is a leftover cut short
            return !Has(path, "0001");
        return !Has(command, "bad") || cured;
    }
    DeleteResult DeleteSource(const std::string& folder, const std::string& name,
                              const FileStamp&) override {
        const std::string path = folder + name;
        trace += "delete " + path + "|";
        size += Has(path, "replaced"); // and so the listing's stamp changes
        if (Has(path, "readonly") || Has(path, "replaced"))
            return Has(path, "readonly") ? DeleteResult::Failed : DeleteResult::Changed;
        drop.erase(std::remove(drop.begin(), drop.end(), path.substr(2)), drop.end());
        return Has(path, "taken") ? DeleteResult::AlreadyGone : DeleteResult::Deleted;
    }
    void AppendErrorLog(const std::string& entry) override { log += entry; }
    void ShowCritical(const std::string& text) override {
        seen += text + "|";
        trace += "box|";
    }
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
    EXPECT_EQ(std::set<std::string>{}, fake.store) << "every marker released";
    EXPECT_EQ(0u, fake.trace.find("save 99999|launch|look 99999 at 100|look 99999 at 1100|delete "
                                  "I\\slowtaken.awd|save 100000|launch|look 00000 at 1700|"))
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
         "save 1|launch|look 00001 at 500|look 00001 at 2500|delete I\\long.awd|save 2|launch|look "
         "00002 at 3100|look 00002 at 3100|delete I\\b.awd|O\\Fax_00001.tif "},
        {"hang.awd", 100, ' ',
         "save 1|launch|look 00001 at 500|look 00001 at 300000|end|save 2|launch|look 00002 at "
         "300100|look 00002 at "
         "300100|delete I\\b.awd|hang.awd logged"},
        {"a.awd", 100, 's',
         "save 1|launch|look 00001 at 100|look 00001 at 100|delete I\\a.awd|b.awd "},
        {"a.awd", 0, 'c', "save 1|launch|look 00001 at 0|look 00001 at 0|delete I\\a.awd|b.awd "},
        {"hang.awd", 100, 'c', "save 1|launch|look 00001 at 0|look 00001 at 0|end|b.awd hang.awd "},
        // Whole, but a process it started never ends; at Close, one that
        // cannot be deleted stays without a word.
        {"lingers.awd", 100, ' ',
         "save 1|launch|look 00001 at 500|look 00001 at 300000|end|look 00001 at 300000|delete "
         "I\\lingers.awd|save "
         "2|launch|look 00002 at 300600|look 00002 at 300600|delete I\\b.awd|"},
        {"readonly.awd", 0, 'c',
         "save 1|launch|look 00001 at 0|look 00001 at 0|delete "
         "I\\readonly.awd|b.awd readonly.awd "},
        // Copied over during its conversion: a new fax, for a later pass.
        {"replaced.awd", 100, ' ',
         "save 1|launch|look 00001 at 100|look 00001 at 100|delete I\\replaced.awd|save "
         "2|launch|look "
         "00002 at 200|look 00002 at 200|delete I\\b.awd|replaced.awd "},
    };
    for (const auto& [name, converter_ms, user, expected] : cases) {
        Fake fake(0, 0, {name, "b.awd"});
        fake.converter_ms = converter_ms;
        fake.stop_in_wait = user == 's';
        fake.close_in_wait = user == 'c';
        fake.Run();
        for (const auto& names :
             {fake.store, std::set<std::string>(fake.drop.begin(), fake.drop.end())})
            for (const std::string& n : names)
                fake.trace += n + " ";
        EXPECT_EQ(expected,
                  fake.trace +
                      (fake.log == Err(77, "I\\hang.awd O\\Fax_00001.tif") ? "logged" : ""));
    }
    Fake hung(0, 0, {"hang.awd"});
    std::string tally = hung.Run();
    hung.now += 3600000;
    tally += hung.Run(); // long past every back-off
    hung.book.EndWaits();
    tally += hung.Run();
    EXPECT_EQ("1! 1! 2! ", tally) << "set aside until Enabled is checked again";
}

// At start, what our own earlier run left: a cut TIF goes with its marker, a
// whole one stays.
TEST(ConversionPass, AtStartOurOwnLeftoversGo) {
    Fake fake(0, 0, {});
    fake.store = {"O\\Fax_00001.tif", "O\\Fax_00001.tif.lock", "O\\Fax_00002.tif",
                  "O\\Fax_00002.tif.lock"};
    RemoveOwnLeftovers("O\\", fake);
    EXPECT_EQ(std::set<std::string>{"O\\Fax_00002.tif"}, fake.store);
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
    fake.unreadable = true; // a share away for a moment: nothing is forgotten
    tally += fake.Run() + fake.Run();
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
    EXPECT_EQ("12! 12! 12! 13! 14! 14 15! 16 ", tally);
    EXPECT_EQ((std::vector<std::string>{"a?x.awd", "bad.awd", "bad.awd"}), fake.announced);
    // Changed by its own converter: stored twice, then it waits as a fax that
    // fails, rather than being stored at every pass.
    Fake changing(0, 0, {"link.awd", "replaced.awd"});
    for (changing.now = 0; changing.now < 3600000; changing.now += 3000)
        changing.Run();
    EXPECT_EQ("13! ", changing.Run());
    EXPECT_EQ((std::vector<std::string>{"link.awd", "replaced.awd"}), changing.announced);
}

// However many wait, faxes are taken in the listing's order, and each look at
// the folder reads it only up to the fax it takes.
TEST(ConversionPass, EveryFaxOfABacklogCostsTheSame) {
    for (int count : {3, 3000}) {
        Fake fake(0, 0, {"c.awd", "a.awd", "b.awd"});
        for (int i = 3; i < count; ++i)
            fake.drop.push_back(std::to_string(i) + ".awd");
        EXPECT_EQ(std::to_string(count) + " ", fake.Run());
        EXPECT_EQ(count, fake.read) << "files read: only the one each look takes";
        EXPECT_EQ(1, fake.rereads) << "the folder itself is read once a pass";
        EXPECT_EQ(0u, fake.seen.find("I\\c.awd O\\Fax_00001.tif|I\\a.awd O\\Fax_00002.tif|"
                                     "I\\b.awd O\\Fax_00003.tif|"))
            << count;
    }
}
