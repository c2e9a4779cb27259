#include "platform/error_log.h"

#include <windows.h>

namespace orvalis {

void AppendErrorLog(const std::string& log_path, const std::string& entry) {
    HANDLE log = CreateFileA(log_path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(log, entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr);
    CloseHandle(log);
}

} // namespace orvalis
