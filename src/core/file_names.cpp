#include "core/file_names.h"

#include "core/command_line.h"
#include "core/listed_name.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

namespace orvalis {

int32_t NextCounter(int32_t current) {
    if (current < 1 || current == INT32_MAX)
        return 1;
    return current + 1;
}

std::string TargetName(int32_t number) {
    const std::string digits = "00000" + std::to_string(number);
    return "Fax_" + digits.substr(digits.size() - 5) + ".tif";
}

std::string MarkerOf(const std::string& target) {
    return target + ".lock";
}

std::string MarkerOwner(const std::string& computer, const std::string& app_folder) {
    return "Orvalis\r\n" + computer + "\r\n" + app_folder + "\r\n";
}

std::string MarkerText(const std::string& owner, const std::string& awd, uint64_t awd_bytes) {
    return owner + awd + "\r\n" + std::to_string(awd_bytes) + "\r\n";
}

bool ReadMarker(const std::string& text, const std::string& owner, std::string& awd,
                uint64_t& awd_bytes) {
    if (!StartsWithIgnoringCase(text, owner))
        return false;
    const size_t end = text.find("\r\n", owner.size());
    awd = end == std::string::npos ? std::string() : text.substr(owner.size(), end - owner.size());
    awd_bytes = end == std::string::npos ? 0 : std::strtoull(text.c_str() + end + 2, nullptr, 10);
    return true;
}

bool FoldersFit(const std::string& drop, const std::string& store) {
    const size_t short_name = 12; // "FILENAME.AWD"
    return WithTrailingBackslash(drop).size() + short_name < kMaxAnsiPath &&
           WithTrailingBackslash(store).size() + MarkerOf(TargetName(0)).size() < kMaxAnsiPath;
}

std::string FolderOfModule(const std::string& module_path) {
    const size_t slash = module_path.find_last_of("\\/");
    if (slash == std::string::npos)
        return std::string();
    return module_path.substr(0, slash);
}

std::string PathInFolder(const std::string& folder, const std::string& name) {
    return WithTrailingBackslash(folder) + name;
}

std::string FolderFromSetting(const std::string& app_folder, const std::string& setting) {
    const auto is_separator = [](char c) { return c == '\\' || c == '/'; };
    if (setting.empty())
        return setting;
    if (setting.size() >= 2 && is_separator(setting[0]) && is_separator(setting[1]))
        return setting; // \\server\share, or \\?\ already
    const bool drive = setting.size() >= 2 && setting[1] == ':';
    if (drive && setting.size() >= 3 && is_separator(setting[2]))
        return setting;
    if (drive) // "D:fax": that drive's current folder is nobody's choice; its root is
        return setting.substr(0, 2) + "\\" + setting.substr(2);
    if (is_separator(setting[0])) { // the root of the application's drive or share
        size_t root = app_folder.find_first_of("\\/", 2);
        if (app_folder.compare(0, 2, "\\\\") == 0 && root != std::string::npos)
            root = app_folder.find_first_of("\\/", root + 1);
        return app_folder.substr(0, root) + setting;
    }
    return PathInFolder(app_folder, setting);
}

std::string ExtendedPath(const std::string& path) {
    if (path.compare(0, 4, "\\\\?\\") == 0)
        return path;
    if (path.compare(0, 2, "\\\\") == 0)
        return "\\\\?\\UNC\\" + path.substr(2);
    return "\\\\?\\" + path;
}

std::string WithTrailingBackslash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '\\')
        return folder;
    return folder + "\\";
}

std::string BatchFileText(const std::string& converter_path) {
    return "@echo off\r\n" + QuoteForCmd(converter_path) + " /c %1 %2\r\n";
}

std::string InstanceMutexName(const std::string& app_folder) {
    // A path can be longer than a kernel object name may be, so the folder
    // is hashed (FNV-1a, 64 bit) over its upper-cased ANSI bytes.
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : app_folder) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<unsigned char>(c - 'a' + 'A');
        if (c == '/')
            c = '\\';
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return std::string("Global\\Orvalis-") + hex;
}

} // namespace orvalis
