// Rules that the program lays over the platform's profile-string lookup.
// Free of Windows so that they can be tested natively.
#pragma once

#include <cstdint>
#include <string>

namespace orvalis {

// Turns what the profile lookup copied (the first `copied` characters of
// `buffer`) into the setting's value: an inline ";" comment is cut off and
// the rest trimmed of blanks, and an empty value or a lone "-" placeholder
// falls back to `default_text`.
std::string IniValueFromLookup(const char* buffer, long copied, const std::string& default_text);

// Decimal signed 32-bit integer, optionally signed and surrounded by blanks
// or tabs. Returns false for anything else, out-of-range values included.
bool ParseInt32(const std::string& text, int32_t& value);

// The numeric settings as start-up uses them. A hand-edited file or the
// Setup dialog can put anything there, so none of these may fail: what is
// not a usable number gives the setting's default.
int32_t CounterFromText(const std::string& text);      // not a number
int32_t SettleWaitFromText(const std::string& text);   // not a number, negative; at most 60000
int32_t PollIntervalFromText(const std::string& text); // not a number, 0 or less

} // namespace orvalis
