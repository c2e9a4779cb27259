#include "service/win32_pass_platform.h"

#include "config/modINI.h"
#include "service/command_line.h"
#include "service/message_pump.h"

#include <windows.h>

namespace {

std::string SystemCmdExe() {
    char folder[MAX_PATH];
    const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return "cmd.exe";
    return std::string(folder, n) + "\\cmd.exe";
}

HANDLE OpenForReading(const std::string& path, DWORD share) {
    return CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

std::vector<std::string> Win32PassPlatform::ListAwdFiles(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*.awd").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    const DWORD not_ordinary =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    do {
        if (found.dwFileAttributes & not_ordinary)
            continue;
        std::string name = found.cFileName;
        // A long name with characters outside the ANSI code page comes back
        // with "?" in their place and cannot be opened; its short name can.
        if (name.find('?') != std::string::npos && found.cAlternateFileName[0] != '\0')
            name = found.cAlternateFileName;
        names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
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

bool Win32PassPlatform::Launch(const std::string& command, int32_t& task_id) {
    std::string line = orvalis::CmdLaunchLine(SystemCmdExe(), command);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    task_id = static_cast<int32_t>(process.dwProcessId);
    return true;
}

void Win32PassPlatform::DoEvents() {
    ::DoEvents();
}

void Win32PassPlatform::Sleep(int32_t ms) {
    if (ms > 0)
        ::Sleep(static_cast<DWORD>(ms));
}

bool Win32PassPlatform::CanOpenForReading(const std::string& path) {
    HANDLE file = OpenForReading(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

bool Win32PassPlatform::DeleteSource(const std::string& path) {
    return DeleteFileA(path.c_str()) != FALSE;
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
    MessageBoxA(nullptr, text.c_str(), "Orvalis", MB_OK | MB_ICONSTOP);
}

void Win32PassPlatform::SaveCounter(int32_t current) {
    WriteINI(current, "Current", "File", IniFile);
}
