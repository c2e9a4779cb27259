// What the About dialog says of the version. Free of Windows.
#pragma once

#include <cstddef>
#include <string>

namespace orvalis {

// "Orvalis - V<major>.<minor>", the numbers in plain decimals.
std::string AboutCaption(unsigned major, unsigned minor);

// Major and minor file version from a VS_VERSIONINFO block as the resource
// holds it; false when the block is not one.
bool VersionFromResource(const void* block, size_t size, unsigned& major, unsigned& minor);

} // namespace orvalis
