#pragma once

#include <string>

namespace orvalis {

// The 64-byte tip field of the 88-byte tray record: the tip (cut to 63
// characters), one NUL, then blanks to the end.
void FillTipField(char (&field)[64], const std::string& tip);

} // namespace orvalis
