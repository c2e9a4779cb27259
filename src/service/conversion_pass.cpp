#include "conversion_pass.h"

#include "command_line.h"
#include "file_names.h"

#include <algorithm>
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
    Pass(ServiceState& state, PassPlatform& platform) : state_(state), platform_(platform) {}

    void Run() {
        std::string name = NextName();
        while (!name.empty()) {
            const std::string source = state_.DropFolder + name;
            if (platform_.IsHeldOpen(source)) {
                // Still being written: leave it for a later pass, spending nothing.
                passed_over_.insert(name);
            } else if (!Convert(name, source)) {
                return;
            }
            name = NextName();
        }
    }

  private:
    // A new listing each time, from the beginning, minus what this pass has
    // already given up on, so a failing file cannot hold up the ones after it.
    std::string NextName() {
        for (const std::string& name : platform_.ListAwdFiles(state_.DropFolder)) {
            if (passed_over_.count(name) == 0)
                return name;
        }
        return std::string();
    }

    // Returns false when the pass must end at once.
    bool Convert(const std::string& name, const std::string& source) {
        std::string target = NextFreeTarget();
        platform_.SaveCounter(state_.Current);
        const std::string command = BuildCommand(state_.BatchFile, source, target);

        int32_t task_id = 0;
        const bool can_pass =
            CanPassToCmd(state_.BatchFile) && CanPassToCmd(source) && CanPassToCmd(target);
        if (!can_pass || target.empty() || !platform_.Launch(command, task_id)) {
            Fail(name, task_id, command);
            return true;
        }

        platform_.DoEvents();
        platform_.Sleep(state_.V1);
        platform_.DoEvents();

        if (!platform_.CanOpenForReading(target)) {
            const long long longer = 2LL * state_.V1;
            if (longer <= INT32_MAX)
                platform_.Sleep(static_cast<int32_t>(longer));
        }
        platform_.DoEvents();
        if (!platform_.CanOpenForReading(target)) {
            Fail(name, task_id, command);
            return true;
        }

        if (!platform_.DeleteSource(source)) {
            platform_.ShowCritical(kDeleteWarning);
            platform_.StopPolling();
            return false;
        }
        platform_.DoEvents();
        platform_.Sleep(state_.V1);
        return true;
    }

    // Moves Current on to a number whose TIF does not exist yet, so that a
    // fax from an earlier run is never overwritten nor taken for a new one.
    // Returns "" when every name is taken.
    std::string NextFreeTarget() {
        for (int tried = 0; tried < kMaxNumbersTried; ++tried) {
            state_.Current = NextCounter(state_.Current);
            const std::string target = state_.StoreFolder + TargetName(state_.Current);
            if (!platform_.FileExists(target))
                return target;
        }
        return std::string();
    }

    void Fail(const std::string& name, int32_t task_id, const std::string& command) {
        platform_.AppendErrorLog(ErrorLogEntry(task_id, command));
        passed_over_.insert(name);
    }

    ServiceState& state_;
    PassPlatform& platform_;
    std::set<std::string> passed_over_;
};

} // namespace

void RunConversionPass(ServiceState& state, PassPlatform& platform) {
    if (state.Busy)
        return;
    state.Busy = true;
    Pass(state, platform).Run();
    state.Busy = false;
}

} // namespace orvalis
