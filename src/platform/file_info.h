// What an open file is, and how it goes.
#pragma once

#include "core/listed_name.h"

#include <windows.h>

namespace orvalis {

// Size, write time and id of an open file; all 0 where they cannot be had.
FileStamp StampOf(HANDLE file);

// The file goes when its last handle closes; false when that is refused.
bool Dispose(HANDLE file);

} // namespace orvalis
