#include "platform/held_file.h"

namespace orvalis {

bool HeldFile::Hold(const std::string& path) {
    Release();
    handle_ = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle_ != INVALID_HANDLE_VALUE;
}

bool HeldFile::WriteAndHold(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool written_whole =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size();
    written_whole = CloseHandle(file) && written_whole;
    // Between the writing and the holding another program may have changed
    // the file: what is held is read back, one byte more than was written.
    if (!written_whole || !Hold(path))
        return false;
    std::string held(text.size() + 1, '\0');
    DWORD read = 0;
    if (ReadFile(handle_, &held[0], static_cast<DWORD>(held.size()), &read, nullptr) &&
        held.compare(0, read, text) == 0 && read == text.size())
        return true;
    Release();
    return false;
}

void HeldFile::Release() {
    if (handle_ != INVALID_HANDLE_VALUE)
        CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

} // namespace orvalis
