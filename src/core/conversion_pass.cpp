#include "core/conversion_pass.h"

#include "core/command_line.h"
#include "core/file_names.h"

#include <climits>
#include <set>

namespace orvalis {

const char* const kDeleteWarning = "WARNING: Cannot remove the awd file from the drop folder!\r\n"
                                   "Please make sure that the file is not 'read only'...";

namespace {

// Every five-digit name once: past that the search would only go round.
const int kMaxNumbersTried = 100000;

class Pass {
  public:
    Pass(ServiceState& state, RetryBook& failures, int32_t poll_ms, PassPlatform& platform)
        : state_(state), failures_(failures), poll_ms_(poll_ms), platform_(platform) {}

    void Run() {
        ListedFile file;
        bool go_on = true;
        while (go_on && platform_.KeepGoing() && NextFile(file)) {
            // Two people's files never share a name in one folder, so a
            // name stands for its file within the pass.
            passed_over_.insert(file.key);
            if (file.name.empty())
                Unusable(file);
            else if (!platform_.IsHeldOpen(state_.DropFolder + file.name))
                go_on = Convert(file);
            // A file still being written is left for a later pass, spending nothing.
        }
        platform_.ShowFailing(failures_.AnyFailing());
    }

  private:
    // A new listing each time, from the beginning, minus what this pass has
    // already dealt with and what still waits after failing.
    bool NextFile(ListedFile& next) {
        const std::vector<ListedFile> listed = platform_.ListAwdFiles(state_.DropFolder);
        std::vector<std::string> keys;
        for (const ListedFile& file : listed)
            keys.push_back(file.key);
        failures_.KeepOnly(keys);
        const int64_t now = platform_.NowMs();
        for (const ListedFile& file : listed) {
            if (passed_over_.count(file.key) == 0 && failures_.Due(file.key, file.stamp, now)) {
                next = file;
                return true;
            }
        }
        return false;
    }

    // Returns false when the pass must end at once.
    bool Convert(const ListedFile& file) {
        const std::string source = state_.DropFolder + file.name;
        bool reserved = false;
        const std::string target = ReserveTarget(reserved);
        platform_.SaveCounter(state_.Current);
        const std::string command = BuildCommand(state_.BatchFile, source, target);
        if (!reserved) {
            Fail(file, 0, command);
            return true;
        }
        int32_t task_id = 0;
        const bool can_pass =
            CanPassToCmd(state_.BatchFile) && CanPassToCmd(source) && CanPassToCmd(target);
        const bool launched = can_pass && platform_.Launch(command, task_id);
        const bool converted = launched && Converted(target);
        if (!converted)
            Fail(file, task_id, command);
        // Decided: a whole TIF holds the number from here on, and a failed
        // attempt leaves the converter's file, if any, for the next look. A
        // converter still running might yet write it, though: its number
        // stays taken until it ends, rather than go to a second fax.
        if (!launched || converted)
            platform_.Release(MarkerOf(target));
        else
            platform_.ReleaseAfterConverter(MarkerOf(target));
        if (!converted)
            return true;

        // A source that is already gone was taken by someone else watching
        // the same folder: nothing is left to remove, and nothing is lost.
        if (platform_.DeleteSource(source) == DeleteResult::Failed) {
            platform_.ShowCritical(kDeleteWarning);
            platform_.StopPolling();
            return false;
        }
        failures_.RecordSuccess(file.key);
        // The pause lets the delete settle before the next listing; when no
        // file follows, there is nothing to pause for.
        if (platform_.KeepGoing())
            platform_.Wait(state_.V1);
        return true;
    }

    // Waits for the TIF of the converter just launched; true when it is
    // complete. Whatever a failed converter left is kept: it may be all there is.
    bool Converted(const std::string& target) {
        // A converter that has ended is judged at once; one that left a child
        // still writing is caught by the check all the same.
        platform_.WaitForConverter(state_.V1);
        if (!platform_.IsTargetComplete(target)) {
            const long long longer = 2LL * state_.V1;
            if (longer <= INT32_MAX)
                platform_.Wait(static_cast<int32_t>(longer));
        }
        return platform_.IsTargetComplete(target);
    }

    // A file the converter could not be given at all: logged and announced
    // once, then never due again until it is renamed.
    void Unusable(const ListedFile& file) {
        failures_.RecordUnusable(file.key, file.stamp);
        state_.Current = NextCounter(state_.Current);
        platform_.SaveCounter(state_.Current);
        platform_.AppendErrorLog(
            ErrorLogEntry(0, BuildCommand(state_.BatchFile, state_.DropFolder + file.shown,
                                          state_.StoreFolder + TargetName(state_.Current))));
        platform_.AnnounceFailure(file.shown);
    }

    // Moves Current on to a number that is nobody's: its TIF does not exist,
    // so a fax from an earlier run is never overwritten nor taken for a new
    // one, and its marker is ours, so another Orvalis sharing the store
    // cannot hand it out too. Looking alone would not do: on a share another
    // PC can take the number between the look and the converter's write.
    // Only a file that exists moves on to the next number: any other error
    // would say the same of every number, and walking them all would leave a
    // marker at each. It fails this attempt instead, once.
    // Returns the target, reserved or not ("" when every name is taken).
    std::string ReserveTarget(bool& reserved) {
        for (int tried = 0; tried < kMaxNumbersTried; ++tried) {
            state_.Current = NextCounter(state_.Current);
            const std::string target = state_.StoreFolder + TargetName(state_.Current);
            if (platform_.FileExists(target))
                continue;
            const ReserveResult result = platform_.Reserve(MarkerOf(target));
            if (result == ReserveResult::Failed)
                return target;
            if (result == ReserveResult::Taken)
                continue;
            // Another PC may have finished this number and removed its
            // marker between our look and our reservation.
            const TargetCheck check = platform_.TargetAbsent(target);
            if (check == TargetCheck::Absent) {
                reserved = true;
                return target;
            }
            platform_.Release(MarkerOf(target));
            if (check == TargetCheck::Failed)
                return target;
        }
        return std::string();
    }

    void Fail(const ListedFile& file, int32_t task_id, const std::string& command) {
        platform_.AppendErrorLog(ErrorLogEntry(task_id, command));
        if (failures_.RecordFailure(file.key, file.stamp, platform_.NowMs(), poll_ms_))
            platform_.AnnounceFailure(file.shown);
    }

    ServiceState& state_;
    RetryBook& failures_;
    int32_t poll_ms_;
    PassPlatform& platform_;
    std::set<std::string> passed_over_;
};

} // namespace

void RunConversionPass(ServiceState& state, RetryBook& failures, int32_t poll_ms,
                       PassPlatform& platform) {
    if (state.Busy)
        return;
    state.Busy = true;
    Pass(state, failures, poll_ms, platform).Run();
    state.Busy = false;
}

} // namespace orvalis
