#include "platform/win32_pass_platform.h"

#include "core/command_line.h"
#include "core/tiff_check.h"
#include "ui/critical_box.h"
#include "ui/message_pump.h"

#include <windows.h>

#include <cwctype>

namespace orvalis {

namespace {

std::string SystemCmdExe() {
    char folder[MAX_PATH];
    const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return "cmd.exe";
    return std::string(folder, n) + "\\cmd.exe";
}

// Creates the file only if it does not exist, which the file server itself
// decides, also over SMB; closes it at once. False when it was not created.
bool CreateNew(const std::string& path, DWORD access, DWORD flags) {
    HANDLE file = CreateFileA(path.c_str(), access, 0, nullptr, CREATE_NEW, flags, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

// The one answer that says the name is somebody else's.
bool Exists(DWORD error) {
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

HANDLE OpenForReading(const std::string& path, DWORD share) {
    return CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::wstring WideFromAnsi(const std::string& text) {
    const int n =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
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

bool EndsWithAwd(const std::wstring& name) {
    if (name.size() < 4)
        return false;
    std::wstring tail = name.substr(name.size() - 4);
    for (wchar_t& c : tail)
        c = static_cast<wchar_t>(std::towlower(c));
    return tail == L".awd";
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

std::vector<ListedFile> Win32PassPlatform::ListAwdFiles(const std::string& folder) {
    std::vector<ListedFile> files;
    // Wide, because the ANSI listing maps what the code page lacks to
    // look-alikes: a fullwidth backslash would come back as a real one.
    const std::wstring pattern = WideFromAnsi(folder) + L"*.awd";
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return files;
    const DWORD not_ordinary =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    do {
        // The pattern also matches through the 8.3 alias ("x.awdx" is
        // "X~1.AWD"); only real .awd files are faxes.
        if ((found.dwFileAttributes & not_ordinary) || !EndsWithAwd(found.cFileName))
            continue;
        ListedFile file;
        file.key = Encode(CP_UTF8, 0, found.cFileName);
        file.shown = ShownName(found.cFileName);
        file.name = UsableName(ExactAnsi(found.cFileName), ExactAnsi(found.cAlternateFileName),
                               folder.size());
        file.stamp.size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        file.stamp.write_time =
            (static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
            found.ftLastWriteTime.dwLowDateTime;
        files.push_back(file);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

bool Win32PassPlatform::IsHeldOpen(const std::string& path) {
    HANDLE file = OpenForReading(path, 0);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

bool Win32PassPlatform::FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

ReserveResult Win32PassPlatform::Reserve(const std::string& marker) {
    // Hidden, as it is no fax; empty, as only its name counts.
    if (CreateNew(marker, GENERIC_WRITE, FILE_ATTRIBUTE_HIDDEN))
        return ReserveResult::Reserved;
    // Access denied is no sign of another's number: a store that refuses
    // creating answers so for every number. (Another PC's marker that is
    // being deleted does so too, for a moment: this attempt then fails.)
    return Exists(GetLastError()) ? ReserveResult::Taken : ReserveResult::Failed;
}

TargetCheck Win32PassPlatform::TargetAbsent(const std::string& target) {
    // Gone again when closed: the converter finds no file there. That takes
    // the right to delete, which a store needs for its markers anyway; where
    // it is refused, the check fails rather than guess from a mere look.
    if (CreateNew(target, GENERIC_WRITE | DELETE,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE))
        return TargetCheck::Absent;
    return Exists(GetLastError()) ? TargetCheck::Present : TargetCheck::Failed;
}

void Win32PassPlatform::Release(const std::string& marker) {
    pending_.emplace_back(nullptr, marker);
    ReleasePending();
}

void Win32PassPlatform::ReleaseAfterConverter(const std::string& marker) {
    pending_.emplace_back(converter_, marker);
    converter_ = nullptr;
    ReleasePending();
}

void Win32PassPlatform::ReleasePending() {
    for (auto it = pending_.begin(); it != pending_.end();) {
        HANDLE& process = it->first;
        if (process && WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
            CloseHandle(process);
            process = nullptr;
        }
        // Until it goes, the number stays taken: a gap, never a number used twice.
        const bool gone =
            !process && (DeleteFileA(it->second.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND);
        it = gone ? pending_.erase(it) : it + 1;
    }
}

bool Win32PassPlatform::Launch(const std::string& command, int32_t& task_id) {
    std::string line = CmdLaunchLine(SystemCmdExe(), command);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    if (converter_)
        CloseHandle(converter_);
    converter_ = process.hProcess;
    task_id = static_cast<int32_t>(process.dwProcessId);
    return true;
}

Win32PassPlatform::~Win32PassPlatform() {
    if (converter_)
        CloseHandle(converter_);
    for (const auto& entry : pending_)
        if (entry.first)
            CloseHandle(entry.first);
}

void Win32PassPlatform::Wait(int32_t ms) {
    WaitHandlingMessages(nullptr, ms > 0 ? static_cast<DWORD>(ms) : 0);
}

void Win32PassPlatform::WaitForConverter(int32_t ms) {
    WaitHandlingMessages(converter_, ms > 0 ? static_cast<DWORD>(ms) : 0);
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

DeleteResult Win32PassPlatform::DeleteSource(const std::string& path) {
    if (DeleteFileA(path.c_str()))
        return DeleteResult::Deleted;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return DeleteResult::AlreadyGone;
    return DeleteResult::Failed;
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
    orvalis::ShowCritical(text);
}

} // namespace orvalis
