#include "core/fax_index.h"

#include <cstdio>

namespace orvalis {
namespace {

// RFC 4180: a field that holds a separator, a quote or a line break is
// quoted, its quotes doubled.
std::string Field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

// The fax's name comes from whoever sent or dropped it, and a spreadsheet
// runs a cell that starts like a formula. Tab and the line breaks count
// too, as some spreadsheets skip white space before they look; Windows
// allows none of them in a file or computer name, but the line must be safe
// for any text.
std::string Text(const std::string& text) {
    const bool formula =
        !text.empty() && std::string("=+-@\t\r\n").find(text[0]) != std::string::npos;
    return Field(formula ? "'" + text : text);
}

// Tenths of a second, the nearest; a run time below zero (a clock that
// went back) is none.
std::string Seconds(int64_t ms) {
    if (ms < 0)
        ms = 0;
    const int64_t tenths = ms / 100 + (ms % 100 >= 50 ? 1 : 0);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

} // namespace

std::string IndexLine(const IndexEntry& entry) {
    char stored[32];
    std::snprintf(stored, sizeof stored, "%04d-%02d-%02d %02d:%02d:%02d", entry.year, entry.month,
                  entry.day, entry.hour, entry.minute, entry.second);
    return std::string(stored) + "," + Field(entry.tif) + "," + Text(entry.awd) + "," +
           std::to_string(entry.awd_bytes) + "," + std::to_string(entry.pages) + "," +
           Text(entry.pc) + "," + Seconds(entry.converter_ms) + "\r\n";
}

} // namespace orvalis
