// The main form's state record, shared with the conversion pass.
#pragma once

#include <cstdint>
#include <string>

namespace orvalis {

struct ServiceState {
    bool Busy = false;      // a conversion pass is running
    int32_t Current = 0;    // last sequence number handed out
    int32_t V1 = 500;       // settle wait, ms
    std::string BatchFile;  // short application folder & "\ORVALIS.BAT"
    std::string DropFolder; // short form, ends with "\"
    std::string StoreFolder;
};

} // namespace orvalis
