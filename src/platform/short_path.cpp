#include "platform/short_path.h"

#include <windows.h>

std::string GetShortPath(const std::string& path) {
    std::string look_up = path;
    const bool had_backslash = !look_up.empty() && look_up.back() == '\\';
    if (had_backslash)
        look_up.pop_back();

    const DWORD size = 130;
    char buffer[size];
    const DWORD n = GetShortPathNameA(look_up.c_str(), buffer, size);
    if (n == 0 || n >= size)
        return std::string();

    std::string result(buffer, n);
    if (had_backslash)
        result += '\\';
    return result;
}
