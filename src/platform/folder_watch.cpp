#include "platform/folder_watch.h"

namespace orvalis {

namespace {

// Attributes too: a file that stops being hidden comes into the listing.
const DWORD kFileChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                           FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE |
                           FILE_NOTIFY_CHANGE_LAST_WRITE;
const DWORD kFolderChanges = FILE_NOTIFY_CHANGE_DIR_NAME;
// The most a share takes for one read; the parent's news are only looked
// at, never read.
const size_t kFileChangeWords = 65536 / sizeof(DWORD);
const size_t kFolderChangeWords = 256;
// Past this many changes that no listing asked for, the listing is read
// again anyway: noting them all would only cost memory.
const size_t kMostNotes = 1000;

// Shared with everybody: watching a folder must not keep anyone from
// renaming or deleting it.
HANDLE OpenFolder(const std::string& path, DWORD access, DWORD flags) {
    HANDLE folder =
        CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
    return folder == INVALID_HANDLE_VALUE ? nullptr : folder;
}

// "C:\Fax\In\" gives "C:\Fax\"; a drive's root has none ("").
std::string ParentOf(std::string folder) {
    if (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    const size_t slash = folder.find_last_of('\\');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

// The volume and the file index name one folder for as long as it exists,
// whatever it is called meanwhile.
bool IdOf(const std::string& path, BY_HANDLE_FILE_INFORMATION& id) {
    HANDLE folder = OpenFolder(path, FILE_READ_ATTRIBUTES, 0);
    const bool known = folder && GetFileInformationByHandle(folder, &id);
    if (folder)
        CloseHandle(folder);
    return known;
}

bool SameFolder(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

} // namespace

FolderWatch::FolderWatch() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

FolderWatch::~FolderWatch() {
    Stop();
    if (event_)
        CloseHandle(event_);
}

bool FolderWatch::Start(const std::string& folder) {
    Stop();
    folder_ = folder;
    if (Open(files_, folder, kFileChanges) && !GetFileInformationByHandle(files_.folder, &id_))
        id_ = {}; // no identity: Follow starts again at every look
    const std::string parent = ParentOf(folder);
    if (!parent.empty())
        Open(names_, parent, kFolderChanges);
    KeepNews();
    return files_.folder != nullptr;
}

void FolderWatch::Stop() {
    Close(files_);
    Close(names_);
}

HANDLE FolderWatch::Handle() const {
    return files_.folder || names_.folder ? event_ : nullptr;
}

bool FolderWatch::Rearm() {
    ResetEvent(event_);
    const bool changed = Fired(files_, kFileChanges);
    // A folder beside it came or went, or was renamed: it may be this one,
    // under a name that only the parent knows. A broken watch is news too.
    const bool moved = Fired(names_, kFolderChanges) || (changed && !files_.folder);
    if (moved)
        Start(folder_);
    KeepNews();
    return changed || moved;
}

bool FolderWatch::Follow() {
    BY_HANDLE_FILE_INFORMATION now = {};
    const bool exists = IdOf(folder_, now);
    // Still on the folder the path names, or waiting for a missing one to come.
    if (files_.folder ? exists && SameFolder(now, id_) : !exists && names_.folder)
        return false;
    Start(folder_);
    return true;
}

bool FolderWatch::Drain(
    const std::function<void(const std::wstring& name, bool removed)>& changed) {
    Fired(files_, kFileChanges); // a read that ended while nobody looked
    for (const auto& note : notes_)
        changed(note.first, note.second);
    notes_.clear();
    const bool whole = files_.folder && !missed_;
    missed_ = false;
    return whole;
}

void FolderWatch::Note(DWORD size) {
    // None at all: more changed than the buffer could hold.
    if (size == 0 || notes_.size() >= kMostNotes) {
        missed_ = true;
        notes_.clear();
        return;
    }
    const char* at = reinterpret_cast<const char*>(files_.changes.data());
    for (DWORD offset = 0;;) {
        const auto* entry = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(at + offset);
        notes_.emplace_back(std::wstring(entry->FileName, entry->FileNameLength / sizeof(WCHAR)),
                            entry->Action == FILE_ACTION_REMOVED ||
                                entry->Action == FILE_ACTION_RENAMED_OLD_NAME);
        if (entry->NextEntryOffset == 0)
            return;
        offset += entry->NextEntryOffset;
    }
}

bool FolderWatch::Watches(const std::string& path) const {
    BY_HANDLE_FILE_INFORMATION id = {};
    return files_.folder && IdOf(path, id) && SameFolder(id, id_);
}

bool FolderWatch::Open(Watch& watch, const std::string& path, DWORD filter) {
    watch.changes.resize(&watch == &files_ ? kFileChangeWords : kFolderChangeWords);
    watch.folder = OpenFolder(path, FILE_LIST_DIRECTORY, FILE_FLAG_OVERLAPPED);
    return watch.folder && Arm(watch, filter);
}

bool FolderWatch::Arm(Watch& watch, DWORD filter) {
    watch.pending = OVERLAPPED();
    watch.pending.hEvent = event_;
    if (ReadDirectoryChangesW(watch.folder, watch.changes.data(),
                              static_cast<DWORD>(watch.changes.size() * sizeof(DWORD)), FALSE,
                              filter, nullptr, &watch.pending, nullptr))
        return true;
    Close(watch);
    return false;
}

bool FolderWatch::Fired(Watch& watch, DWORD filter) {
    if (!watch.folder || !HasOverlappedIoCompleted(&watch.pending))
        return false;
    DWORD size = 0;
    const bool read = GetOverlappedResult(watch.folder, &watch.pending, &size, FALSE) != FALSE;
    // Too many changes at once: the watch goes on, the listing is read again.
    const bool overflow = !read && GetLastError() == ERROR_NOTIFY_ENUM_DIR;
    if (&watch == &files_)
        Note(read ? size : 0);
    if ((!read && !overflow) || !Arm(watch, filter))
        Close(watch);
    return true;
}

void FolderWatch::Close(Watch& watch) {
    if (!watch.folder)
        return;
    // The read must be over before its buffer is used again. The event is
    // shared: the other watch's signal must not end this wait, and KeepNews
    // sets it again afterwards.
    DWORD size = 0;
    if (CancelIo(watch.folder)) {
        while (!HasOverlappedIoCompleted(&watch.pending)) {
            ResetEvent(event_);
            GetOverlappedResult(watch.folder, &watch.pending, &size, TRUE);
        }
    }
    CloseHandle(watch.folder);
    watch.folder = nullptr;
    missed_ = missed_ || &watch == &files_; // unwatched, changes go unseen
}

void FolderWatch::KeepNews() {
    // Arming one watch may reset the event that the other has just set.
    for (const Watch* watch : {&files_, &names_})
        if (watch->folder && HasOverlappedIoCompleted(&watch->pending))
            SetEvent(event_);
}

} // namespace orvalis
