// Every setting of Orvalis.ini: where it lives and what stands in for it
// when it is missing or unusable. Free of Windows.
#pragma once

namespace orvalis {

struct Setting {
    const char* key;
    const char* section;
    const char* default_text;
};

namespace settings {
constexpr Setting kCurrent = {"Current", "File", "0"}; // last sequence number used
constexpr Setting kDrop = {"Drop", "File", ""};
constexpr Setting kStore = {"Store", "File", ""};
constexpr Setting kV1 = {"V1", "Tempo", "500"};  // settle wait, ms
constexpr Setting kV2 = {"V2", "Tempo", "3000"}; // polling interval, ms
} // namespace settings

} // namespace orvalis
