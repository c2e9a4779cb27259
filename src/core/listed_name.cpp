#include "core/listed_name.h"

namespace orvalis {

namespace {

// A name that stays inside the folder it was listed in: no separator, no
// drive, no way up.
bool StaysInFolder(const std::string& name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    for (unsigned char c : name) {
        if (c == '\\' || c == '/' || c == ':' || c < 0x20)
            return false;
    }
    return true;
}

} // namespace

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
