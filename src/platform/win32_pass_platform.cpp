#include "platform/win32_pass_platform.h"

#include "core/command_line.h"
#include "core/file_names.h"
#include "core/tiff_check.h"
#include "ui/message_pump.h"

#include <windows.h>

#include <algorithm>

namespace orvalis {

namespace {

std::string SystemCmdExe() {
    char folder[MAX_PATH];
    const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return "cmd.exe";
    return std::string(folder, n) + "\\cmd.exe";
}

// Between two looks at a converter whose cmd.exe has ended but which left
// processes behind: a console host lingers for some milliseconds, and a
// fax must not wait for longer than that.
const DWORD kTreeLookMs = 5;
// What a converter that was ended may take to let go of its files.
const DWORD kEndingMs = 5000;

bool Dispose(HANDLE file) {
    FILE_DISPOSITION_INFO dispose = {TRUE};
    return SetFileInformationByHandle(file, FileDispositionInfo, &dispose, sizeof dispose) != 0;
}

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

// The start of a small file, or "" when it cannot be read.
std::string ReadStart(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    char buffer[1024];
    DWORD read = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &read, nullptr))
        read = 0;
    CloseHandle(file);
    return std::string(buffer, read);
}

std::string ComputerName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

// Kills every process in it once its last handle closes, also when this
// process dies, and lets none break away.
HANDLE CreateConverterJob() {
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job &&
        !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(job);
        job = nullptr;
    }
    return job;
}

// The one answer that says the name is somebody else's.
bool Exists(DWORD error) {
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

HANDLE OpenForReading(const std::string& path, DWORD share) {
    return CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::wstring Decode(UINT code_page, const std::string& text) {
    const int n =
        MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    if (n > 0)
        MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

std::wstring WideFromAnsi(const std::string& text) {
    return Decode(CP_ACP, text);
}

std::string Encode(UINT code_page, DWORD flags, const std::wstring& wide) {
    const int n = WideCharToMultiByte(code_page, flags, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(n), '\0');
    if (n > 0)
        WideCharToMultiByte(code_page, flags, wide.data(), static_cast<int>(wide.size()), &text[0],
                            n, nullptr, nullptr);
    return text;
}

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

// Where the file system says that an open file or folder really lies,
// links resolved, as UTF-8; "" where it does not say.
std::string FinalPath(HANDLE file) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFinalPathNameByHandleW(file, &path[0], static_cast<DWORD>(path.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
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
    const std::string folder_path = FinalPath(dir);
    CloseHandle(dir);
    return LiesDirectlyIn(FinalPath(file), folder_path);
}

// Size, write time and id of an open file; all 0 where they cannot be had.
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

Win32PassPlatform::Win32PassPlatform(std::string error_log, std::string app_folder,
                                     PassFormHooks form)
    : error_log_(std::move(error_log)), app_folder_(std::move(app_folder)),
      owner_(MarkerOwner(ComputerName(), app_folder_)), form_(std::move(form)),
      job_(CreateConverterJob()) {}

Win32PassPlatform::~Win32PassPlatform() {
    if (converter_)
        CloseHandle(converter_);
    if (job_)
        CloseHandle(job_); // and with it whatever still runs in it
}

ListResult Win32PassPlatform::ListAwdFiles(const std::string& folder,
                                           const std::function<bool(const ListedFile&)>& visit,
                                           bool reread) {
    const bool noted = journal_.Drain([this](const std::wstring& name, bool removed) {
        snapshot_.Changed(Encode(CP_UTF8, 0, name), removed);
    });
    if (reread || !noted || !snapshot_.Valid() || folder != snapshot_folder_) {
        // The journal first: what changes while the folder is read is seen
        // at the next look. Where it cannot be kept, the next look reads the
        // folder again.
        journal_.Start(WideFromAnsi(folder));
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

ListResult Win32PassPlatform::ReadFolder(const std::string& folder) {
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
        file.name = UsableName(ExactAnsi(found.cFileName), ExactAnsi(found.cAlternateFileName),
                               folder.size());
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

SourceCheck Win32PassPlatform::CheckSource(const std::string& folder, const std::string& name,
                                           FileStamp& stamp) {
    // A link is opened as itself, so that what it points to is never touched.
    HANDLE file = CreateFileA((folder + name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION ? SourceCheck::HeldOpen
                                                         : SourceCheck::Ready;
    stamp = StampOf(file);
    const bool here = LiesInFolder(file, folder);
    CloseHandle(file);
    return here ? SourceCheck::Ready : SourceCheck::Elsewhere;
}

bool Win32PassPlatform::FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

ReserveResult Win32PassPlatform::Reserve(const std::string& marker) {
    // Hidden, as it is no fax; empty, as only its name counts.
    const DWORD error = CreateNew(marker, GENERIC_WRITE, FILE_ATTRIBUTE_HIDDEN, owner_);
    if (error == 0)
        return ReserveResult::Reserved;
    // Access denied is no sign of another's number: a store that refuses
    // creating answers so for every number. (Another PC's marker that is
    // being deleted does so too, for a moment: this attempt then fails.)
    return Exists(error) ? ReserveResult::Taken : ReserveResult::Failed;
}

TargetCheck Win32PassPlatform::TargetAbsent(const std::string& target) {
    // Gone again when closed: the converter finds no file there. That takes
    // the right to delete, which a store needs for its markers anyway; where
    // it is refused, the check fails rather than guess from a mere look.
    const DWORD error =
        CreateNew(target, GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE);
    if (error == 0)
        return TargetCheck::Absent;
    return Exists(error) ? TargetCheck::Present : TargetCheck::Failed;
}

void Win32PassPlatform::Release(const std::string& path) {
    pending_.push_back(path);
    ReleasePending();
}

void Win32PassPlatform::ReleasePending() {
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

std::vector<std::string> Win32PassPlatform::OwnMarkers(const std::string& store_folder) {
    std::vector<std::string> markers;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((store_folder + "Fax_*.tif.lock").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return markers;
    do {
        const std::string path = store_folder + found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            lstrcmpiA(ReadStart(path).c_str(), owner_.c_str()) == 0)
            markers.push_back(path);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return markers;
}

bool Win32PassPlatform::Launch(const std::string& command, int32_t& task_id) {
    return Launch(command, task_id, 0);
}

bool Win32PassPlatform::Launch(const std::string& command, int32_t& task_id, DWORD breakaway) {
    std::string line = CmdLaunchLine(SystemCmdExe(), command);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    // Suspended until it is in the job, so that nothing it starts escapes.
    // It runs in the application folder ("C:" alone would be the drive's
    // current folder): the converter looks for DLLs in its current folder,
    // and ours is the one folder that is secured.
    if (!job_ || !CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE,
                                 CREATE_NO_WINDOW | CREATE_SUSPENDED | breakaway, nullptr,
                                 WithTrailingBackslash(app_folder_).c_str(), &startup, &process))
        return false;
    if (!AssignProcessToJobObject(job_, process.hProcess)) {
        TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        // Windows 7 puts a process in one job only: when Orvalis itself runs
        // in one, the converter leaves it for ours, where that job allows.
        if (breakaway != 0)
            return false;
        return Launch(command, task_id, CREATE_BREAKAWAY_FROM_JOB);
    }
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    if (converter_)
        CloseHandle(converter_);
    converter_ = process.hProcess;
    task_id = static_cast<int32_t>(process.dwProcessId);
    return true;
}

bool Win32PassPlatform::ConverterEnded() {
    if (!converter_)
        return true;
    if (WaitForSingleObject(converter_, 0) != WAIT_OBJECT_0)
        return false;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION job = {};
    return !QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &job, sizeof job,
                                      nullptr) ||
           job.ActiveProcesses == 0;
}

void Win32PassPlatform::Wait(int32_t ms) {
    WaitHandlingMessages(nullptr, ms > 0 ? static_cast<DWORD>(ms) : 0, form_.closing);
}

bool Win32PassPlatform::WaitForConverter(int32_t ms) {
    const ULONGLONG deadline = GetTickCount64() + (ms > 0 ? static_cast<DWORD>(ms) : 0);
    for (;;) {
        if (ConverterEnded())
            return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline || Closing())
            return false;
        // cmd.exe's end is waited for as such; what it left behind is looked
        // at now and then.
        const bool cmd_runs = WaitForSingleObject(converter_, 0) != WAIT_OBJECT_0;
        const DWORD left = static_cast<DWORD>(deadline - now);
        WaitHandlingMessages(cmd_runs ? converter_ : nullptr,
                             cmd_runs ? left : (left < kTreeLookMs ? left : kTreeLookMs),
                             form_.closing);
    }
}

void Win32PassPlatform::EndConverter() {
    if (!converter_)
        return;
    TerminateJobObject(job_, 1);
    // Their files are closed only once they are gone.
    const ULONGLONG deadline = GetTickCount64() + kEndingMs;
    while (!ConverterEnded() && GetTickCount64() < deadline)
        WaitHandlingMessages(nullptr, 10);
}

int64_t Win32PassPlatform::NowMs() {
    return static_cast<int64_t>(GetTickCount64());
}

bool Win32PassPlatform::IsTargetComplete(const std::string& path) {
    // Sharing only with readers: the open fails while the converter, or
    // anyone else, still has the file open for writing.
    HANDLE file = OpenForReading(path, FILE_SHARE_READ);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    FileBytes bytes(file);
    const bool whole = IsWholeTiff(bytes);
    CloseHandle(file);
    return whole;
}

DeleteResult Win32PassPlatform::DeleteSource(const std::string& folder, const std::string& name,
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

void Win32PassPlatform::AppendErrorLog(const std::string& entry) {
    HANDLE log = CreateFileA(error_log_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(log, entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr);
    CloseHandle(log);
}

void Win32PassPlatform::ShowCritical(const std::string& text) {
    form_.show_warning(text);
}

} // namespace orvalis
