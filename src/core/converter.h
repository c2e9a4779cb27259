// The converter as the conversion pass sees it: one run at a time, with
// everything it starts held together. Free of Windows.
#pragma once

#include <cstdint>
#include <string>

namespace orvalis {

class Converter {
  public:
    virtual ~Converter() = default;

    // Starts the command hidden without waiting for it, with everything it
    // starts in turn held together, so that none of it can outlive us.
    // False when it could not be started.
    virtual bool Launch(const std::string& command, int32_t& task_id) = 0;
    // Waits, answering the user meanwhile, until the run last launched and
    // all that it started have ended, but no longer than `ms`, and not once
    // the program is closing; true when they have ended.
    virtual bool WaitForEnd(int32_t ms) = 0;
    // Ends the run last launched with all that it started, and returns once
    // they are gone, their files closed.
    virtual void End() = 0;
};

} // namespace orvalis
