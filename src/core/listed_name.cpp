#include "core/listed_name.h"

#include <algorithm>

namespace orvalis {

namespace {

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// A name that stays inside the folder it was listed in: no separator, no
// drive, no way up.
bool StaysInFolder(const std::string& name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    for (unsigned char c : name) {
        if (c == '\\' || c == '/' || c == ':' || c < 0x20)
            return false;
    }
    return !IsDeviceName(name);
}

} // namespace

bool IsDeviceName(const std::string& name) {
    // Windows drops the blanks before the first dot: "nul .awd" is NUL too.
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        c = Upper(c);
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (base == device)
            return true;
    }
    if (base.compare(0, 3, "COM") != 0 && base.compare(0, 3, "LPT") != 0)
        return false;
    // 1 to 9, and the superscripts 1, 2 and 3 that Windows takes too, in
    // UTF-8 and in the Western code page.
    const std::string digit = base.substr(3);
    for (const char* device_digit : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "\xB9", "\xB2",
                                     "\xB3", "\xC2\xB9", "\xC2\xB2", "\xC2\xB3"}) {
        if (digit == device_digit)
            return true;
    }
    return false;
}

bool LiesDirectlyIn(const std::string& file, const std::string& folder) {
    std::string prefix = folder;
    if (prefix.empty())
        return false;
    if (prefix.back() != '\\')
        prefix += '\\';
    // Both come from the file system, which spells a folder the same way
    // each time; letter case is only compared loosely for ASCII.
    return file.size() > prefix.size() && file.find('\\', prefix.size()) == std::string::npos &&
           StartsWithIgnoringCase(file, prefix);
}

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char a, char b) { return Upper(a) == Upper(b); });
}

bool IsAwdName(const std::string& name) {
    if (name.size() < 4)
        return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return tail == ".awd";
}

std::string UsableName(const std::string& exact_long, const std::string& short_name,
                       size_t folder_length) {
    if (StaysInFolder(exact_long) && folder_length + exact_long.size() < kMaxAnsiPath)
        return exact_long;
    if (StaysInFolder(short_name) && folder_length + short_name.size() < kMaxAnsiPath)
        return short_name;
    return std::string();
}

} // namespace orvalis
