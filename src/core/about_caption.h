#pragma once

#include <string>

namespace orvalis {

// "Orvalis - V<major>.<minor>", the numbers in plain decimals.
std::string AboutCaption(unsigned major, unsigned minor);

} // namespace orvalis
