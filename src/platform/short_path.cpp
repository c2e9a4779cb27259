#include "platform/short_path.h"

#include <windows.h>

std::string GetShortPath(const std::string& path) {
    std::string look_up = path;
    const bool had_backslash = !look_up.empty() && look_up.back() == '\\';
    if (had_backslash)
        look_up.pop_back();

    // Asked for its size first: a short form is as long as it needs to be,
    // which is the long form itself where 8.3 names are turned off.
    const DWORD size = GetShortPathNameA(look_up.c_str(), nullptr, 0);
    std::string result(size, '\0');
    const DWORD n = size ? GetShortPathNameA(look_up.c_str(), &result[0], size) : 0;
    if (n == 0 || n >= size) // gone, or renamed to a longer name meanwhile
        return std::string();

    result.resize(n);
    if (had_backslash)
        result += '\\';
    return result;
}

std::string GetFullPath(const std::string& path) {
    const DWORD size = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    std::string result(size, '\0');
    const DWORD n = size ? GetFullPathNameA(path.c_str(), size, &result[0], nullptr) : 0;
    if (n == 0 || n >= size)
        return path;
    result.resize(n);
    return result;
}
