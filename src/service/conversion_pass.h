// One pass over the drop folder: every *.awd file becomes the next
// Fax_NNNNN.tif. Free of Windows; the main form supplies the platform.
#pragma once

#include "ServiceState.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvalis {

class PassPlatform {
  public:
    virtual ~PassPlatform() = default;

    // Names (no folder) of the ordinary *.awd files, in the platform's
    // order; empty when the folder is gone or cannot be listed.
    virtual std::vector<std::string> ListAwdFiles(const std::string& folder) = 0;
    // True when another process holds the file open so that it cannot be
    // opened exclusively: a fax still being written.
    virtual bool IsHeldOpen(const std::string& path) = 0;
    virtual bool FileExists(const std::string& path) = 0;
    // Starts the command hidden without waiting for it. False when it could
    // not be started.
    virtual bool Launch(const std::string& command, int32_t& task_id) = 0;
    virtual void DoEvents() = 0;
    virtual void Sleep(int32_t ms) = 0;
    virtual bool CanOpenForReading(const std::string& path) = 0;
    virtual bool DeleteSource(const std::string& path) = 0;
    // Failures to write the log are swallowed by the platform.
    virtual void AppendErrorLog(const std::string& entry) = 0;
    virtual void ShowCritical(const std::string& text) = 0;
    // Disables Timer1 and unchecks "Enabled".
    virtual void StopPolling() = 0;
    virtual void SaveCounter(int32_t current) = 0;
};

extern const char* const kDeleteWarning;

void RunConversionPass(ServiceState& state, PassPlatform& platform);

} // namespace orvalis
