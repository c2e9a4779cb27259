#include "core/conversion_pass.h"

#include "core/command_line.h"
#include "core/file_names.h"

#include <set>
#include <vector>

namespace orvalis {

const char* const kDeleteWarning = "WARNING: Cannot remove the awd file from the drop folder!\r\n"
                                   "Please make sure that the file is not 'read only'...";

namespace {

// Every five-digit name once: past that the search would only go round.
const int kMaxNumbersTried = 100000;

class Pass {
  public:
    Pass(ServiceState& state, RetryBook& failures, int32_t poll_ms, const PassRoles& roles)
        : state_(state), failures_(failures), poll_ms_(poll_ms), drop_(roles.drop),
          store_(roles.store), converter_(roles.converter), host_(roles.host) {}

    void Run() {
        ListedFile file;
        bool go_on = true;
        while (go_on && host_.KeepGoing() && NextFile(file)) {
            // Two people's files never share a name in one folder, so a
            // name stands for its file within the pass.
            passed_over_.insert(file.key);
            FileStamp converted = file.stamp; // the very file that the converter is given
            const SourceCheck check =
                file.name.empty() ? SourceCheck::Elsewhere
                                  : drop_.CheckSource(state_.DropFolder, file.name, converted);
            if (check == SourceCheck::Elsewhere)
                Unusable(file);
            else if (check == SourceCheck::Ready)
                go_on = Convert(file, converted);
            // A file still being written is left for a later pass, spending nothing.
        }
        host_.ShowFailing(failures_.AnyFailing());
    }

  private:
    // A new listing each time, from the beginning, up to the first file that
    // this pass has not dealt with and that does not wait after failing. Only
    // the listing that finds none sees every name, and so only it can tell
    // which files are gone; one that failed tells nothing. The platform reads
    // the folder itself at the pass's first look only: later looks learn
    // from it what changed.
    bool NextFile(ListedFile& next) {
        const int64_t now = host_.NowMs();
        std::vector<std::string> keys;
        const ListResult result = drop_.ListAwdFiles(
            state_.DropFolder,
            [&](const ListedFile& file) {
                if (passed_over_.count(file.key) == 0 && failures_.Due(file.key, file.stamp, now)) {
                    next = file;
                    return false;
                }
                keys.push_back(file.key);
                return true;
            },
            !listed_);
        listed_ = true;
        if (result == ListResult::Complete)
            failures_.KeepOnly(keys);
        return result == ListResult::Stopped;
    }

    // Returns false when the pass must end at once.
    bool Convert(const ListedFile& file, const FileStamp& converted) {
        const std::string source = state_.DropFolder + file.name;
        bool reserved = false;
        const std::string target = ReserveTarget(file.key, converted.size, reserved);
        host_.SaveCounter(state_.Current);
        const std::string command = BuildCommand(state_.BatchFile, source, target);
        if (!reserved) {
            Fail(file, 0, command, false);
            return true;
        }
        int32_t task_id = 0;
        const bool can_pass =
            CanPassToCmd(state_.BatchFile) && CanPassToCmd(source) && CanPassToCmd(target);
        const bool launched = can_pass && converter_.Launch(command, task_id);
        const Verdict verdict = launched ? Judge(target) : Verdict::Failed;
        // Its converter has ended, so nothing writes at the number any more:
        // a whole TIF holds it from here on, and a failed attempt leaves the
        // converter's file, if any, for the next look.
        if (verdict == Verdict::Hung || verdict == Verdict::Abandoned)
            store_.Release(target);
        store_.Release(MarkerOf(target));
        if (verdict == Verdict::Abandoned) // its AWD waits for the next start
            return false;
        if (verdict != Verdict::Converted) {
            Fail(file, task_id, command, verdict == Verdict::Hung);
            return true;
        }

        // A source that is already gone was taken by someone else watching
        // the same folder: nothing is left to remove, and nothing is lost. One
        // put in its place meanwhile is a new fax, for a later pass.
        // Closing, the user is not held up: the AWD simply stays.
        const DeleteResult deleted = drop_.DeleteSource(state_.DropFolder, file.name, converted);
        // The TIF is in the archive now, whatever became of its AWD: one that
        // stays is stored again later, and the index then says so twice.
        store_.RecordStored(target, file.key, converted.size, ran_ms_);
        if (deleted == DeleteResult::Failed) {
            if (!host_.Closing()) {
                host_.ShowWarning(kDeleteWarning);
                host_.StopPolling();
            }
            return false;
        }
        if (deleted == DeleteResult::Changed) {    // nothing deleted, so nothing to settle
            if (failures_.RecordChanged(file.key)) // set aside, as it would change again
                Fail(file, task_id, command, true);
            return true;
        }
        failures_.RecordSuccess(file.key);
        // The delete is done once the name has left the folder, which Windows
        // holds back while another program has the file open: the next
        // listing would otherwise offer it again. When no file follows,
        // nothing waits for it; either way a name that stays is not taken again.
        const int32_t pause = host_.KeepGoing() ? state_.V1 : 0;
        if (deleted == DeleteResult::Deleted &&
            !drop_.WaitUntilGone(state_.DropFolder, file.name, pause))
            failures_.RecordDeleted(file.key, file.stamp);
        return true;
    }

    enum class Verdict {
        Converted,
        Failed,
        Hung,     // ended at the ceiling
        Abandoned // ended as the program closes
    };

    // Judges the TIF of the converter just launched, which has ended when
    // this returns. Whatever a failed converter left is kept: it may be all
    // there is. A slow converter is not a failed one: while it runs, the
    // fax is not judged, nor is another converter started beside it.
    Verdict Judge(const std::string& target) {
        const int64_t launched = host_.NowMs();
        const bool ended = converter_.WaitForEnd(state_.V1);
        ran_ms_ = host_.NowMs() - launched;
        const bool complete = store_.IsTargetComplete(target);
        if (!ended) {
            const int64_t left = kConverterCeilingMs - (host_.NowMs() - launched);
            if (left <= 0 || !converter_.WaitForEnd(static_cast<int32_t>(left))) {
                // A whole TIF is the fax, whatever its converter left running.
                const bool whole = store_.IsTargetComplete(target);
                converter_.End();
                if (!whole)
                    return host_.Closing() ? Verdict::Abandoned : Verdict::Hung;
            }
            ran_ms_ = host_.NowMs() - launched;
        } else if (!complete) {
            // One that left a child still writing is caught all the same.
            // The settings hold V1 to a minute, so twice that fits.
            host_.Wait(2 * state_.V1);
        }
        // This look decides.
        return store_.IsTargetComplete(target) ? Verdict::Converted : Verdict::Failed;
    }

    // A file the converter could not be given at all (no usable name, a
    // device's name, a link out of the folder): logged and announced once,
    // then never due again until it is renamed.
    void Unusable(const ListedFile& file) {
        failures_.RecordUnusable(file.key, file.stamp);
        state_.Current = NextCounter(state_.Current);
        host_.SaveCounter(state_.Current);
        host_.AppendErrorLog(
            ErrorLogEntry(0, BuildCommand(state_.BatchFile, state_.DropFolder + file.shown,
                                          state_.StoreFolder + TargetName(state_.Current))));
        host_.AnnounceFailure(file.shown);
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
    std::string ReserveTarget(const std::string& awd, uint64_t awd_bytes, bool& reserved) {
        for (int tried = 0; tried < kMaxNumbersTried; ++tried) {
            state_.Current = NextCounter(state_.Current);
            const std::string target = state_.StoreFolder + TargetName(state_.Current);
            if (store_.FileExists(target))
                continue;
            const ReserveResult result = store_.Reserve(MarkerOf(target), awd, awd_bytes);
            if (result == ReserveResult::Failed)
                return target;
            if (result == ReserveResult::Taken)
                continue;
            // Another PC may have finished this number and removed its
            // marker between our look and our reservation.
            const TargetCheck check = store_.TargetAbsent(target);
            if (check == TargetCheck::Absent) {
                reserved = true;
                return target;
            }
            store_.Release(MarkerOf(target));
            if (check == TargetCheck::Failed)
                return target;
        }
        return std::string();
    }

    // A converter that hung on a file would hang on it again: that file is
    // set aside until it changes or the user asks for everything again.
    void Fail(const ListedFile& file, int32_t task_id, const std::string& command, bool hung) {
        host_.AppendErrorLog(ErrorLogEntry(task_id, command));
        if (failures_.RecordFailure(file.key, file.stamp, host_.NowMs(), poll_ms_, hung))
            host_.AnnounceFailure(file.shown);
    }

    ServiceState& state_;
    RetryBook& failures_;
    int32_t poll_ms_;
    DropFiles& drop_;
    FaxStore& store_;
    Converter& converter_;
    PassHost& host_;
    std::set<std::string> passed_over_;
    bool listed_ = false;
    int64_t ran_ms_ = 0; // how long the converter last judged ran
};

} // namespace

void RunConversionPass(ServiceState& state, RetryBook& failures, int32_t poll_ms,
                       const PassRoles& roles) {
    if (state.Busy)
        return;
    state.Busy = true;
    Pass(state, failures, poll_ms, roles).Run();
    state.Busy = false;
}

} // namespace orvalis
