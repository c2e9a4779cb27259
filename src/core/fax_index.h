// The archive index: one line per fax stored, which AWD became which TIF.
// Free of Windows.
#pragma once

#include <cstdint>
#include <string>

namespace orvalis {

struct IndexEntry {
    // The local time at which the TIF was judged complete; the caller reads
    // the clock.
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    std::string tif; // "Fax_00007.tif"
    std::string awd; // the AWD's long name, UTF-8, without its folder
    uint64_t awd_bytes = 0;
    int pages = 0;  // of the TIF
    std::string pc; // the computer's name, UTF-8
    int64_t converter_ms = 0;
};

// The index, in the store folder beside the TIFs.
constexpr char kIndexName[] = "Fax_index.csv";

// What a new index starts with. The byte-order mark makes Excel read the
// file as UTF-8, so that every name shows as it is.
constexpr char kIndexHeader[] = "\xEF\xBB\xBF"
                                "Stored,TIF,AWD,Bytes,Pages,PC,Seconds\r\n";

// One record of the index, CR LF ended: quoted where RFC 4180 needs it, and
// a name from outside that a spreadsheet would run as a formula (it begins
// with "=", "+", "-", "@", a tab or a line break) written with a leading "'".
std::string IndexLine(const IndexEntry& entry);

} // namespace orvalis
