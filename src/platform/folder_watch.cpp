#include "platform/folder_watch.h"

namespace orvalis {

bool FolderWatch::Start(const std::string& folder) {
    Stop();
    HANDLE handle = FindFirstChangeNotificationA(
        folder.c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
    handle_ = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
    return handle_ != nullptr;
}

void FolderWatch::Stop() {
    if (handle_)
        FindCloseChangeNotification(handle_);
    handle_ = nullptr;
}

void FolderWatch::Rearm() {
    if (handle_ && !FindNextChangeNotification(handle_))
        Stop();
}

} // namespace orvalis
