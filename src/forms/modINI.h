// Single values of the settings file, through the platform's profile functions.
#pragma once

#include "core/settings.h"

#include <string>

// Full path of the settings file; set once at start-up and passed to every access.
extern std::string IniFile;

std::string ReadINI(const std::string& key, const std::string& section,
                    const std::string& default_text, const std::string& file);

// Failures are not reported: the next read returns whatever the file holds.
void WriteINI(const std::string& value, const std::string& key, const std::string& section,
              const std::string& file);
void WriteINI(long value, const std::string& key, const std::string& section,
              const std::string& file);

// The same for one of the program's own settings, with its section and default.
inline std::string ReadINI(const orvalis::Setting& setting, const std::string& file) {
    return ReadINI(setting.key, setting.section, setting.default_text, file);
}
inline void WriteINI(const std::string& value, const orvalis::Setting& setting,
                     const std::string& file) {
    WriteINI(value, setting.key, setting.section, file);
}
inline void WriteINI(long value, const orvalis::Setting& setting, const std::string& file) {
    WriteINI(value, setting.key, setting.section, file);
}
