#include "platform/fax_index_file.h"

#include "platform/code_pages.h"
#include "platform/file_info.h"

#include <windows.h>

namespace orvalis {
namespace {

// The lines in doubt lie right after where the index ended when they were
// written, among what other PCs appended in the same moments. A megabyte
// is some ten thousand lines.
const uint64_t kDoubtSpan = 1 << 20;

// One WriteFile, so that a line never mixes with another PC's; a part of
// it written counts as nothing written.
bool WriteWhole(HANDLE file, const std::string& text) {
    DWORD written = 0;
    return WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

// Append only: without FILE_WRITE_DATA every write lands at the end, also
// over SMB, and nothing already there can be overwritten or cut off. Shared
// for writing, so that other PCs append at the same time; a program that
// shares reading only (Excel, with the CSV open) keeps us out.
HANDLE OpenToAppend(const std::wstring& path) {
    return CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// CREATE_NEW succeeds for one PC only, as the file server decides, and that
// PC writes the header. Until the header is in, the new file is shared for
// reading only, so no PC can append a line before it: theirs wait for their
// next try. A header that cannot be written takes the file with it, or lines
// would follow nothing.
bool CreateWithHeader(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA | DELETE, FILE_SHARE_READ, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_EXISTS; // another PC's, just made
    const bool written = WriteWhole(file, kIndexHeader);
    if (!written)
        Dispose(file);
    CloseHandle(file);
    return written;
}

HANDLE OpenIndex(const std::wstring& path) {
    HANDLE index = OpenToAppend(path);
    if (index == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND &&
        CreateWithHeader(path))
        index = OpenToAppend(path);
    return index;
}

} // namespace

FaxIndexFile::FaxIndexFile(const std::string& store_folder, const std::string& app_folder)
    : index_(WideFromAnsi(store_folder + kIndexName)), waiting_(app_folder + "\\" + kWaitingName),
      waiting_new_(app_folder + "\\" + kWaitingNewName) {
    // A few lines, unless the index stayed away for months.
    saved_ = ReadFrom(WideFromAnsi(waiting_), 0, 64 << 20);
    backlog_ = IndexBacklog::Load(saved_);
}

void FaxIndexFile::Add(const IndexEntry& entry) {
    backlog_.Add(IndexLine(entry));
    // Kept before the index is tried: opening a share that is away can take
    // long, and a log-off meanwhile must not lose the line.
    SaveWaiting();
    Flush();
}

void FaxIndexFile::Flush() {
    if (!backlog_.Empty()) {
        HANDLE index = OpenIndex(index_);
        LARGE_INTEGER size;
        if (index != INVALID_HANDLE_VALUE && GetFileSizeEx(index, &size)) {
            backlog_.BeginWrite(static_cast<uint64_t>(size.QuadPart), [this](uint64_t from) {
                return ReadFrom(index_, from, kDoubtSpan);
            });
            SaveWaiting();
            backlog_.Flush([index](const std::string& line) { return WriteWhole(index, line); });
        }
        if (index != INVALID_HANDLE_VALUE)
            CloseHandle(index);
    }
    SaveWaiting();
}

void FaxIndexFile::SaveWaiting() {
    const std::string text = backlog_.Saved();
    if (text == saved_)
        return;
    bool saved = false;
    if (text.empty()) {
        saved = DeleteFileA(waiting_.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
    } else {
        // Written aside and then put in place: a crash halfway through
        // leaves the old file whole.
        HANDLE file = CreateFileA(waiting_new_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            saved = WriteWhole(file, text);
            saved = CloseHandle(file) && saved &&
                    MoveFileExA(waiting_new_.c_str(), waiting_.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
    }
    // Not saved, it is tried again at the next flush.
    if (saved)
        saved_ = text;
}

void SetStoredNow(IndexEntry& entry) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    entry.year = now.wYear;
    entry.month = now.wMonth;
    entry.day = now.wDay;
    entry.hour = now.wHour;
    entry.minute = now.wMinute;
    entry.second = now.wSecond;
}

std::string ComputerNameUtf8() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? Encode(CP_UTF8, 0, std::wstring(name, size))
                                         : std::string();
}

} // namespace orvalis
