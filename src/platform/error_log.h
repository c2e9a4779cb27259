// Orvalis.err: one entry a failed attempt, appended whole.
#pragma once

#include <string>

namespace orvalis {

// Failures to write are swallowed: the log is the one place left to say so.
void AppendErrorLog(const std::string& log_path, const std::string& entry);

} // namespace orvalis
