#include "core/file_names.h"

#include "core/command_line.h"
#include "core/listed_name.h"

#include <climits>
#include <cstdio>

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
