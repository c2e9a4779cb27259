// The conversion pass's platform: files, processes, waits and the main form.
#pragma once

#include "service/conversion_pass.h"

#include <functional>
#include <utility>
#include <string>

class Win32PassPlatform : public orvalis::PassPlatform {
  public:
    Win32PassPlatform(std::string error_log, std::function<void()> stop_polling)
        : error_log_(std::move(error_log)), stop_polling_(std::move(stop_polling)) {}

    std::vector<std::string> ListAwdFiles(const std::string& folder) override;
    bool IsHeldOpen(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    bool Launch(const std::string& command, int32_t& task_id) override;
    void DoEvents() override;
    void Sleep(int32_t ms) override;
    bool CanOpenForReading(const std::string& path) override;
    bool DeleteSource(const std::string& path) override;
    void AppendErrorLog(const std::string& entry) override;
    void ShowCritical(const std::string& text) override;
    void StopPolling() override { stop_polling_(); }
    void SaveCounter(int32_t current) override;

  private:
    std::string error_log_;
    std::function<void()> stop_polling_;
};
