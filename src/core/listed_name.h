// What the pass learns about one file of the drop folder, and which of its
// names may be handed on. Free of Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvalis {

// Size and last-write time: when either changes, the file was replaced or
// finished, and a failure recorded against it no longer says anything. The
// file's id, where known (0 where not), tells a file put in its place too.
struct FileStamp {
    uint64_t size = 0;
    uint64_t write_time = 0;
    uint64_t id = 0;
    bool operator==(const FileStamp& other) const {
        return size == other.size && write_time == other.write_time && id == other.id;
    }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

struct ListedFile {
    std::string key;   // the long name, UTF-8: unique within the folder
    std::string name;  // the ANSI name the pass may use; empty when there is none
    std::string shown; // the name for people: ANSI, with "?" where the code page has no letter
    FileStamp stamp;
};

// Longest path, terminating NUL included, that the ANSI file functions take.
const size_t kMaxAnsiPath = 260;

// True when the name (UTF-8 or ANSI) really ends in ".awd", in any case: a
// folder listing matches "*.awd" through 8.3 aliases too ("x.awdx").
bool IsAwdName(const std::string& name);

// True for a name that Windows takes for a device rather than a file (CON,
// PRN, AUX, NUL, CONIN$, CONOUT$, COM1-9, LPT1-9), whatever follows a dot
// and in any case: opening "nul.awd" reads the NUL device, "con.awd" waits
// for console input.
bool IsDeviceName(const std::string& name);

// True when `text` begins with `prefix`, ASCII letters of either case alike.
bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix);

// True when `file` (a final path, as the file system resolves it) names a
// file directly inside `folder` (the folder's final path): a link that leads
// elsewhere resolves to somewhere else.
bool LiesDirectlyIn(const std::string& file, const std::string& folder);

// The name to use for a file of the folder `folder_length` characters long.
// `exact_long` is the long name when it converts to the ANSI code page
// exactly, else empty; `short_name` is the 8.3 alias, possibly empty. The
// long name is preferred; the alias stands in when the long name is not
// exact or the path would be too long. A name that could leave the folder
// is never returned, nor one that names a device: "" then means the file
// cannot be taken at all.
std::string UsableName(const std::string& exact_long, const std::string& short_name,
                       size_t folder_length);

} // namespace orvalis
