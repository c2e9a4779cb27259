// Single values of the settings file, through the platform's profile functions.
#pragma once

#include <string>

// Full path of the settings file; set once at start-up and passed to every access.
extern std::string IniFile;

std::string ReadINI(const std::string& key, const std::string& section,
                    const std::string& default_text, const std::string& file);
std::string ReadINI(const std::string& key, const std::string& section, long default_value,
                    const std::string& file);

// Failures are not reported: the next read returns whatever the file holds.
void WriteINI(const std::string& value, const std::string& key, const std::string& section,
              const std::string& file);
void WriteINI(long value, const std::string& key, const std::string& section,
              const std::string& file);
