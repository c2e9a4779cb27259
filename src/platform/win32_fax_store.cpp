#include "platform/win32_fax_store.h"

#include "core/file_names.h"
#include "core/tiff_check.h"
#include "platform/code_pages.h"
#include "platform/file_info.h"

#include <algorithm>
#include <cassert>

namespace orvalis {

namespace {

// Creates the file only if it does not exist, which the file server itself
// decides, also over SMB; writes `content` and closes it at once. 0 when it
// was created and holds `content`, else the error. A file whose content
// could not all be written (a full store) is removed again: a marker that
// does not say whose it is would never be recognised as ours after a crash.
DWORD CreateNew(const std::string& path, DWORD access, DWORD flags,
                const std::string& content = std::string()) {
    HANDLE file =
        CreateFileA(path.c_str(), access | DELETE, 0, nullptr, CREATE_NEW, flags, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    DWORD written = 0, error = 0;
    if (!content.empty() &&
        !WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr))
        error = GetLastError();
    else if (written != content.size())
        error = ERROR_HANDLE_DISK_FULL;
    if (error)
        Dispose(file);
    CloseHandle(file);
    return error;
}

std::string ComputerName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

// The one answer that says the name is somebody else's.
bool Exists(DWORD error) {
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

HANDLE OpenForReading(const std::string& path, DWORD share) {
    return CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The file's bytes for the TIFF check, read where the check asks.
class FileBytes : public ByteSource {
  public:
    explicit FileBytes(HANDLE file) : file_(file) {
        LARGE_INTEGER size;
        size_ = GetFileSizeEx(file, &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
    }
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* buffer, size_t size) override {
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD read = 0;
        return ReadFile(file_, buffer, static_cast<DWORD>(size), &read, &at) && read == size;
    }

  private:
    HANDLE file_;
    uint64_t size_;
};

} // namespace

Win32FaxStore::Win32FaxStore(const std::string& store_folder, const std::string& app_folder)
    : owner_(MarkerOwner(ComputerName(), app_folder)), pc_(ComputerNameUtf8()),
      index_(store_folder, app_folder) {}

void Win32FaxStore::CatchUp() {
    ReleasePending();
    index_.Flush();
}

bool Win32FaxStore::FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

ReserveResult Win32FaxStore::Reserve(const std::string& marker, const std::string& awd,
                                     uint64_t awd_bytes) {
    // Hidden, as it is no fax.
    const DWORD error =
        CreateNew(marker, GENERIC_WRITE, FILE_ATTRIBUTE_HIDDEN, MarkerText(owner_, awd, awd_bytes));
    if (error == 0)
        return ReserveResult::Reserved;
    // Access denied is no sign of another's number: a store that refuses
    // creating answers so for every number. (Another PC's marker that is
    // being deleted does so too, for a moment: this attempt then fails.)
    return Exists(error) ? ReserveResult::Taken : ReserveResult::Failed;
}

TargetCheck Win32FaxStore::TargetAbsent(const std::string& target) {
    // Gone again when closed: the converter finds no file there. That takes
    // the right to delete, which a store needs for its markers anyway; where
    // it is refused, the check fails rather than guess from a mere look.
    const DWORD error =
        CreateNew(target, GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE);
    if (error == 0)
        return TargetCheck::Absent;
    return Exists(error) ? TargetCheck::Present : TargetCheck::Failed;
}

void Win32FaxStore::Release(const std::string& path) {
    pending_.push_back(path);
    ReleasePending();
}

void Win32FaxStore::ReleasePending() {
    std::vector<std::string> left;
    for (const std::string& path : pending_) {
        // Until it goes, the number stays taken: a gap, never a number used
        // twice. So a marker never goes before the TIF it stands for.
        const bool tif_left = std::any_of(left.begin(), left.end(), [&path](const std::string& l) {
            return MarkerOf(l) == path;
        });
        if (tif_left || !(DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND))
            left.push_back(path);
    }
    pending_.swap(left);
}

std::vector<Leftover> Win32FaxStore::OwnMarkers(const std::string& store_folder) {
    std::vector<Leftover> markers;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((store_folder + "Fax_*.tif.lock").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return markers;
    do {
        Leftover left;
        left.marker = store_folder + found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            // Room for the owner and the longest name of an AWD file, in UTF-8.
            ReadMarker(ReadFrom(WideFromAnsi(left.marker), 0, 4096), owner_, left.awd,
                       left.awd_bytes))
            markers.push_back(left);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return markers;
}

bool Win32FaxStore::IsTargetComplete(const std::string& path) {
    // Sharing only with readers: the open fails while the converter, or
    // anyone else, still has the file open for writing.
    HANDLE file = OpenForReading(path, FILE_SHARE_READ);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    FileBytes bytes(file);
    const int pages = WholeTiffPages(bytes);
    CloseHandle(file);
    if (pages > 0) { // the index tells when a fax was judged so, and its pages
        judged_ = path;
        judged_at_ = IndexEntry();
        SetStoredNow(judged_at_);
        judged_at_.pages = pages;
    }
    return pages > 0;
}

void Win32FaxStore::RecordStored(const std::string& target, const std::string& awd,
                                 uint64_t awd_bytes, int64_t converter_ms) {
    assert(target == judged_ && "only a TIF judged complete is stored");
    IndexEntry entry = judged_at_;
    entry.tif = target.substr(target.find_last_of('\\') + 1);
    entry.awd = awd;
    entry.awd_bytes = awd_bytes;
    entry.pc = pc_;
    entry.converter_ms = converter_ms;
    index_.Add(entry);
}

} // namespace orvalis
