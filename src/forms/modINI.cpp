#include "forms/modINI.h"

#include "core/ini_rules.h"

#include <windows.h>

#include <vector>

std::string IniFile;

std::string ReadINI(const std::string& key, const std::string& section,
                    const std::string& default_text, const std::string& file) {
    const DWORD size = 8192;
    std::vector<char> buffer(size, ' ');
    const DWORD copied = GetPrivateProfileStringA(
        section.c_str(), key.c_str(), default_text.c_str(), buffer.data(), size, file.c_str());
    return orvalis::IniValueFromLookup(buffer.data(), static_cast<long>(copied), default_text);
}

void WriteINI(const std::string& value, const std::string& key, const std::string& section,
              const std::string& file) {
    WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str());
}

void WriteINI(long value, const std::string& key, const std::string& section,
              const std::string& file) {
    WriteINI(std::to_string(value), key, section, file);
}
