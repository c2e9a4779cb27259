// What the conversion pass asks of the program around it: time, the user's
// wishes, and what the user is told. Free of Windows.
#pragma once

#include <cstdint>
#include <string>

namespace orvalis {

class PassHost {
  public:
    virtual ~PassHost() = default;

    // Waits, answering the user meanwhile: the menu, About, "Enabled" and
    // "Close" all work during a pass. Ends early once the program is closing.
    virtual void Wait(int32_t ms) = 0;
    // False once "Enabled" is unchecked or the program is closing: the file
    // in hand is decided, and no new one is started.
    virtual bool KeepGoing() = 0;
    virtual bool Closing() = 0;
    // A clock in milliseconds that only moves forward.
    virtual int64_t NowMs() = 0;
    virtual void SaveCounter(int32_t current) = 0;
    // Failures to write the log are swallowed.
    virtual void AppendErrorLog(const std::string& entry) = 0;
    // The critical box, until the user closes it or the program ends.
    virtual void ShowWarning(const std::string& text) = 0;
    // Disables Timer1 and unchecks "Enabled".
    virtual void StopPolling() = 0;
    // The tray icon's warning variant, while any file keeps failing.
    virtual void ShowFailing(bool failing) = 0;
    // Tells the user once that this file could not be converted.
    virtual void AnnounceFailure(const std::string& shown_name) = 0;
};

} // namespace orvalis
