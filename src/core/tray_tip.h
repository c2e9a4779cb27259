// The fixed-size text fields of the shell's tray records.
#pragma once

#include <cstddef>
#include <string>

namespace orvalis {

// Copies as much of `text` as fits into a field of `size` characters, always
// NUL-terminated; returns how many characters were copied.
size_t CopyToField(char* field, size_t size, const std::string& text);

template <size_t N> size_t CopyToField(char (&field)[N], const std::string& text) {
    return CopyToField(field, N, text);
}

// The 64-byte tip field of the 88-byte tray record: the tip (cut to 63
// characters), one NUL, then blanks to the end.
void FillTipField(char (&field)[64], const std::string& tip);

} // namespace orvalis
