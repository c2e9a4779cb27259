// What an open file is, and how it goes.
#pragma once

#include "core/listed_name.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace orvalis {

// Size, write time and id of an open file; all 0 where they cannot be had.
FileStamp StampOf(HANDLE file);

// The file goes when its last handle closes; false when that is refused.
bool Dispose(HANDLE file);

// At most `most` bytes of the file from `offset` on, read beside whoever
// writes or deletes it; "" when it cannot be read.
std::string ReadFrom(const std::wstring& path, uint64_t offset, uint64_t most);

} // namespace orvalis
