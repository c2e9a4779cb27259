// Names and small file contents the service builds. Free of Windows.
#pragma once

#include <cstdint>
#include <string>

namespace orvalis {

// The number after `current`. It never overflows and never goes below 1,
// whatever a hand-edited settings file held.
int32_t NextCounter(int32_t current);

// "Fax_NNNNN.tif" from the last five digits of the number.
std::string TargetName(int32_t number);

// The hidden file beside a target that holds its number while a conversion
// into it runs: "Fax_NNNNN.tif.lock".
std::string MarkerOf(const std::string& target);

// What a marker holds: whose it is, so that after a crash an Orvalis finds
// its own and leaves those of other PCs and other application folders alone.
std::string MarkerOwner(const std::string& computer, const std::string& app_folder);

// What a marker of `owner` holds: whose it is, and the AWD file converted
// into its number (long name, UTF-8, and size), so that a TIF that a crash
// left whole still gets its line in the archive index.
std::string MarkerText(const std::string& owner, const std::string& awd, uint64_t awd_bytes);

// True when `text`, a marker's, is `owner`'s (letter case aside); its AWD
// file then, "" where an earlier version did not say.
bool ReadMarker(const std::string& text, const std::string& owner, std::string& awd,
                uint64_t& awd_bytes);

// True when the paths the pass builds in these folders (short forms, with or
// without a trailing "\") fit the ANSI file functions: any 8.3 name in the
// drop folder, "Fax_NNNNN.tif.lock" in the store folder.
bool FoldersFit(const std::string& drop, const std::string& store);

// Folder of a module path, without a trailing separator ("C:\App\x.exe"
// gives "C:\App", "C:\x.exe" gives "C:").
std::string FolderOfModule(const std::string& module_path);

// `folder` & "\" & `name`, without doubling a separator the folder ends with.
std::string PathInFolder(const std::string& folder, const std::string& name);

// A folder from the settings as a full path: one written relative to
// nothing in particular ("Drop=drop", "\\Fax") is read against the
// application folder, whatever folder the program was started in. "" stays
// "" (not configured).
std::string FolderFromSetting(const std::string& app_folder, const std::string& setting);

// The "\\?\" form of a full path, which the wide file functions take at any
// length and never read as a device name.
std::string ExtendedPath(const std::string& path);

// Appends "\" unless the text already ends with one.
std::string WithTrailingBackslash(const std::string& folder);

// The two lines of ORVALIS.BAT, CR LF ended.
std::string BatchFileText(const std::string& converter_path);

// Name of the mutex that keeps one instance per application folder. Windows
// compares paths without regard to case, so the name does not either.
std::string InstanceMutexName(const std::string& app_folder);

} // namespace orvalis
