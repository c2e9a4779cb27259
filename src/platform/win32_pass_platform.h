// The conversion pass's platform: files, processes, waits and the main form.
#pragma once

#include "core/conversion_pass.h"
#include "core/listing_snapshot.h"
#include "platform/drop_journal.h"

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
    std::function<bool()> closing;
    std::function<void(int32_t)> save_counter;
    std::function<void(bool)> show_failing;
    std::function<void(const std::string&)> announce_failure;
    std::function<void(const std::string&)> show_warning; // until the user closes it
};

// Lives as long as the main form, and holds the one job that every
// converter runs in: when the process ends, however it ends, Windows ends
// the converters with it.
class Win32PassPlatform : public PassPlatform {
  public:
    // `app_folder`: where the converter runs, and whose markers are ours.
    Win32PassPlatform(std::string error_log, std::string app_folder, PassFormHooks form);
    Win32PassPlatform(const Win32PassPlatform&) = delete;
    Win32PassPlatform& operator=(const Win32PassPlatform&) = delete;
    ~Win32PassPlatform() override;

    ListResult ListAwdFiles(const std::string& folder,
                            const std::function<bool(const ListedFile&)>& visit,
                            bool reread) override;
    SourceCheck CheckSource(const std::string& folder, const std::string& name,
                            FileStamp& stamp) override;
    bool FileExists(const std::string& path) override;
    ReserveResult Reserve(const std::string& marker) override;
    TargetCheck TargetAbsent(const std::string& target) override;
    void Release(const std::string& path) override;
    // Removes what may go now; what cannot be removed yet (a share away) is
    // tried again at the next call.
    void ReleasePending();
    std::vector<std::string> OwnMarkers(const std::string& store_folder) override;
    bool Launch(const std::string& command, int32_t& task_id) override;
    void Wait(int32_t ms) override;
    bool WaitForConverter(int32_t ms) override;
    void EndConverter() override;
    bool KeepGoing() override { return form_.keep_going(); }
    bool Closing() override { return form_.closing && form_.closing(); }
    int64_t NowMs() override;
    bool IsTargetComplete(const std::string& path) override;
    DeleteResult DeleteSource(const std::string& folder, const std::string& name,
                              const FileStamp& stamp) override;
    void AppendErrorLog(const std::string& entry) override;
    void ShowCritical(const std::string& text) override;
    void StopPolling() override { form_.stop_polling(); }
    void SaveCounter(int32_t current) override { form_.save_counter(current); }
    void ShowFailing(bool failing) override { form_.show_failing(failing); }
    void AnnounceFailure(const std::string& shown_name) override {
        form_.announce_failure(shown_name);
    }

  private:
    bool Launch(const std::string& command, int32_t& task_id, DWORD breakaway);
    bool ConverterEnded();
    // Reads the whole folder into the snapshot.
    ListResult ReadFolder(const std::string& folder);

    ListingSnapshot snapshot_;
    std::string snapshot_folder_;
    DropJournal journal_;

    std::string error_log_;
    std::string app_folder_;
    std::string owner_; // what our markers hold
    PassFormHooks form_;
    HANDLE job_ = nullptr;
    HANDLE converter_ = nullptr;       // the batch's cmd.exe, last launched
    std::vector<std::string> pending_; // files of ours to remove, in order
};

} // namespace orvalis
