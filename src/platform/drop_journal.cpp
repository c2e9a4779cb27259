#include "platform/drop_journal.h"

namespace orvalis {

bool DropJournal::Start(const std::wstring& folder) {
    Stop();
    folder_ = CreateFileW(
        folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    event_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (folder_ != INVALID_HANDLE_VALUE && event_ && Ask())
        return true;
    Stop();
    return false;
}

void DropJournal::Stop() {
    if (asked_) {
        // The system writes into the buffer until the read is over.
        CancelIo(folder_);
        DWORD bytes = 0;
        GetOverlappedResult(folder_, &overlapped_, &bytes, TRUE);
        asked_ = false;
    }
    if (folder_ != INVALID_HANDLE_VALUE)
        CloseHandle(folder_);
    if (event_)
        CloseHandle(event_);
    folder_ = INVALID_HANDLE_VALUE;
    event_ = nullptr;
}

bool DropJournal::Ask() {
    overlapped_ = OVERLAPPED();
    overlapped_.hEvent = event_;
    asked_ = ReadDirectoryChangesW(folder_, buffer_, sizeof buffer_, FALSE,
                                   FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                       FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE |
                                       FILE_NOTIFY_CHANGE_LAST_WRITE,
                                   nullptr, &overlapped_, nullptr) != FALSE;
    return asked_;
}

bool DropJournal::Drain(
    const std::function<void(const std::wstring& name, bool removed)>& changed) {
    for (;;) {
        if (!asked_)
            return false;
        DWORD bytes = 0;
        const bool done = GetOverlappedResult(folder_, &overlapped_, &bytes, FALSE) != FALSE;
        if (!done && GetLastError() == ERROR_IO_INCOMPLETE)
            return true; // nothing new
        asked_ = false;
        if (!done) // the folder went, say
            return false;
        // None at all: more changed than the buffer could hold.
        bool whole = bytes > 0;
        const char* at = reinterpret_cast<const char*>(buffer_);
        for (DWORD offset = 0; whole;) {
            const auto* entry = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(at + offset);
            changed(std::wstring(entry->FileName, entry->FileNameLength / sizeof(WCHAR)),
                    entry->Action == FILE_ACTION_REMOVED ||
                        entry->Action == FILE_ACTION_RENAMED_OLD_NAME);
            if (entry->NextEntryOffset == 0)
                break;
            offset += entry->NextEntryOffset;
        }
        if (!Ask() || !whole)
            return false;
    }
}

} // namespace orvalis
