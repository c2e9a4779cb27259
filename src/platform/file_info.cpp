#include "platform/file_info.h"

namespace orvalis {

FileStamp StampOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info;
    FileStamp stamp;
    if (GetFileInformationByHandle(file, &info)) {
        stamp.size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        stamp.write_time = (static_cast<uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                           info.ftLastWriteTime.dwLowDateTime;
        stamp.id = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    }
    return stamp;
}

bool Dispose(HANDLE file) {
    FILE_DISPOSITION_INFO dispose = {TRUE};
    return SetFileInformationByHandle(file, FileDispositionInfo, &dispose, sizeof dispose) != 0;
}

} // namespace orvalis
