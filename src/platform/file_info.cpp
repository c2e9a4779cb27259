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

std::string ReadFrom(const std::wstring& path, uint64_t offset, uint64_t most) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes;
    LARGE_INTEGER size, at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (GetFileSizeEx(file, &size) && static_cast<uint64_t>(size.QuadPart) > offset &&
        SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) {
        const uint64_t left = static_cast<uint64_t>(size.QuadPart) - offset;
        bytes.resize(static_cast<size_t>(left < most ? left : most));
        DWORD read = 0;
        if (!ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr))
            read = 0;
        bytes.resize(read);
    }
    CloseHandle(file);
    return bytes;
}

} // namespace orvalis
