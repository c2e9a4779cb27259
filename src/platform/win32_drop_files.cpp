#include "platform/win32_drop_files.h"

#include "core/file_names.h"
#include "platform/code_pages.h"
#include "platform/file_info.h"
#include "ui/message_pump.h"

namespace orvalis {

namespace {

// Between two looks for a name that is going: a delete through a handle
// that nobody else holds takes it at once.
const DWORD kGoneLookMs = 5;

// The ANSI form of the name only when it names the same file: converting
// back gives the very same characters, so no letter was replaced by a
// look-alike or by the default character.
std::string ExactAnsi(const wchar_t* name) {
    const std::string ansi = Encode(CP_ACP, 0, name);
    return WideFromAnsi(ansi) == name ? ansi : std::string();
}

// For the log and the balloon only: "?" for what the code page lacks, and
// nothing that reads as a separator.
std::string ShownName(const wchar_t* name) {
    std::string shown = Encode(CP_ACP, WC_NO_BEST_FIT_CHARS, name);
    if (shown.empty())
        shown = Encode(CP_ACP, 0, name); // code pages that take no flags
    for (char& c : shown) {
        if (c == '\\' || c == '/' || c == ':')
            c = '?';
    }
    return shown;
}

// A link or a mount point is no fax, whatever it points to.
const DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                           FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT;

// Where the file system says that an open file or folder lies, as UTF-8;
// "" where it does not say. Normalized, links resolved, where it can; a
// share that lets the user pass through a folder but not read it only
// tells the path as opened, links on the server resolved all the same.
std::string FinalPath(HANDLE file, DWORD form) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFinalPathNameByHandleW(file, &path[0], static_cast<DWORD>(path.size()),
                                                  form | VOLUME_NAME_DOS);
        if (n == 0)
            return std::string();
        if (n < path.size()) {
            path.resize(n);
            return Encode(CP_UTF8, 0, path);
        }
        path.resize(n);
    }
}

// True when the open file is an ordinary one of `folder` itself: not a
// link, and not reached through one from elsewhere.
bool LiesInFolder(HANDLE file, const std::string& folder) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    HANDLE dir = CreateFileA(folder.c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (dir == INVALID_HANDLE_VALUE)
        return false;
    bool here = false;
    for (DWORD form : {FILE_NAME_NORMALIZED, FILE_NAME_OPENED}) {
        const std::string folder_path = FinalPath(dir, form), file_path = FinalPath(file, form);
        if (!folder_path.empty() && !file_path.empty()) {
            here = LiesDirectlyIn(file_path, folder_path);
            break;
        }
    }
    CloseHandle(dir);
    return here;
}

} // namespace

ListResult Win32DropFiles::ListAwdFiles(const std::string& folder,
                                        const std::function<bool(const ListedFile&)>& visit,
                                        bool reread) {
    // What changes while the folder is read is seen at the next look. Where
    // the changes cannot be followed, the next look reads the folder again.
    const bool noted = watch_.Drain([this](const std::wstring& name, bool removed) {
        snapshot_.Changed(Encode(CP_UTF8, 0, name), removed);
    });
    if (reread || !noted || !snapshot_.Valid() || folder != snapshot_folder_) {
        snapshot_folder_ = folder;
        if (ReadFolder(folder) == ListResult::Failed)
            return ListResult::Failed;
    }
    // By the "\\?\" form: the long name may not fit the plain one, and a
    // device's name ("nul.awd") must be looked at as the file it is.
    const auto still_there = [&folder](const ListedFile& file) {
        const DWORD attributes = GetFileAttributesW(
            (WideFromAnsi(ExtendedPath(folder)) + Decode(CP_UTF8, file.key)).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & kNotOrdinary);
    };
    return snapshot_.Visit(visit, still_there) ? ListResult::Stopped : ListResult::Complete;
}

ListResult Win32DropFiles::ReadFolder(const std::string& folder) {
    snapshot_.Invalidate();
    // Wide, because the ANSI listing maps what the code page lacks to
    // look-alikes: a fullwidth backslash would come back as a real one.
    const std::wstring pattern = WideFromAnsi(folder) + L"*.awd";
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        // Anything but "no such file" leaves the folder unread: a share away
        // for a moment, a folder removed to be made again.
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES)
            return ListResult::Failed;
        snapshot_.Fill({});
        return ListResult::Complete;
    }
    std::vector<ListedFile> files;
    do {
        ListedFile file;
        file.key = Encode(CP_UTF8, 0, found.cFileName);
        if ((found.dwFileAttributes & kNotOrdinary) || !IsAwdName(file.key))
            continue;
        file.shown = ShownName(found.cFileName);
        // A device's long name in any code page leaves the 8.3 name, if any.
        file.name = UsableName(IsDeviceName(file.key) ? "" : ExactAnsi(found.cFileName),
                               ExactAnsi(found.cAlternateFileName), folder.size());
        file.stamp.size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        file.stamp.write_time =
            (static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
            found.ftLastWriteTime.dwLowDateTime;
        files.push_back(file);
    } while (FindNextFileW(search, &found));
    // Cut short by the network, a listing is no whole one either.
    const bool whole = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(search);
    if (!whole)
        return ListResult::Failed;
    snapshot_.Fill(files);
    return ListResult::Complete;
}

SourceCheck Win32DropFiles::CheckSource(const std::string& folder, const std::string& name,
                                        FileStamp& stamp) {
    // A link is opened as itself, so that what it points to is never touched.
    HANDLE file = CreateFileA((folder + name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        // Gone since the listing: nothing to spend a number on. Any other
        // error is the converter's too, and fails as such.
        const DWORD error = GetLastError();
        return error == ERROR_SHARING_VIOLATION || error == ERROR_FILE_NOT_FOUND ||
                       error == ERROR_PATH_NOT_FOUND
                   ? SourceCheck::HeldOpen
                   : SourceCheck::Ready;
    }
    stamp = StampOf(file);
    const bool here = LiesInFolder(file, folder);
    CloseHandle(file);
    return here ? SourceCheck::Ready : SourceCheck::Elsewhere;
}

DeleteResult Win32DropFiles::DeleteSource(const std::string& folder, const std::string& name,
                                          const FileStamp& stamp) {
    // The handle that is checked is the one that deletes: a file copied
    // over the name in between is never taken for the one converted, and a
    // link put in its place goes as the link, if at all.
    HANDLE file = CreateFileA((folder + name).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? DeleteResult::AlreadyGone
                   : DeleteResult::Failed;
    }
    const FileStamp now = StampOf(file);
    const bool same = now.size == stamp.size && now.write_time == stamp.write_time &&
                      (stamp.id == 0 || now.id == stamp.id) && LiesInFolder(file, folder);
    const DeleteResult result = !same           ? DeleteResult::Changed
                                : Dispose(file) ? DeleteResult::Deleted
                                                : DeleteResult::Failed;
    CloseHandle(file);
    return result;
}

bool Win32DropFiles::WaitUntilGone(const std::string& folder, const std::string& name, int32_t ms) {
    const std::string path = folder + name;
    const auto gone = [&path] {
        // A name whose file waits to be deleted answers "access denied".
        const DWORD error = GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES
                                ? GetLastError()
                                : ERROR_SUCCESS;
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    };
    return WaitHandlingMessagesUntil(gone, ms > 0 ? static_cast<DWORD>(ms) : 0, kGoneLookMs,
                                     closing_);
}

} // namespace orvalis
