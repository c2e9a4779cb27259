// The conversion pass's platform: files, processes, waits and the main form.
#pragma once

#include "core/conversion_pass.h"

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace orvalis {

// What the main form does for the pass.
struct PassFormHooks {
    std::function<void()> stop_polling;
    std::function<bool()> keep_going;
    std::function<void(int32_t)> save_counter;
    std::function<void(bool)> show_failing;
    std::function<void(const std::string&)> announce_failure;
};

// Lives as long as the main form: markers whose converter still runs are
// released by a later pass.
class Win32PassPlatform : public PassPlatform {
  public:
    Win32PassPlatform(std::string error_log, PassFormHooks form)
        : error_log_(std::move(error_log)), form_(std::move(form)) {}
    Win32PassPlatform(const Win32PassPlatform&) = delete;
    Win32PassPlatform& operator=(const Win32PassPlatform&) = delete;
    ~Win32PassPlatform() override;

    std::vector<ListedFile> ListAwdFiles(const std::string& folder) override;
    bool IsHeldOpen(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    ReserveResult Reserve(const std::string& marker) override;
    TargetCheck TargetAbsent(const std::string& target) override;
    void Release(const std::string& marker) override;
    void ReleaseAfterConverter(const std::string& marker) override;
    // Removes the markers that may go now; what cannot be removed yet (a
    // share away) is tried again at the next call.
    void ReleasePending();
    bool Launch(const std::string& command, int32_t& task_id) override;
    void Wait(int32_t ms) override;
    void WaitForConverter(int32_t ms) override;
    bool KeepGoing() override { return form_.keep_going(); }
    int64_t NowMs() override;
    bool IsTargetComplete(const std::string& path) override;
    DeleteResult DeleteSource(const std::string& path) override;
    void AppendErrorLog(const std::string& entry) override;
    void ShowCritical(const std::string& text) override;
    void StopPolling() override { form_.stop_polling(); }
    void SaveCounter(int32_t current) override { form_.save_counter(current); }
    void ShowFailing(bool failing) override { form_.show_failing(failing); }
    void AnnounceFailure(const std::string& shown_name) override {
        form_.announce_failure(shown_name);
    }

  private:
    std::string error_log_;
    PassFormHooks form_;
    HANDLE converter_ = nullptr; // the process last launched
    // Markers to remove, each once its process (if any) has ended.
    std::vector<std::pair<HANDLE, std::string>> pending_;
};

} // namespace orvalis
