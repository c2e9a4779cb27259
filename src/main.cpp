#include "core/file_names.h"
#include "forms/frmOrvalis.h"
#include "platform/system_dlls.h"
#include "ui/critical_box.h"
#include "ui/message_pump.h"

#include <windows.h>

namespace {

std::string ApplicationFolder() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return orvalis::FolderOfModule(std::string(path, n < MAX_PATH ? n : 0));
}

// The folder's long form, so that starting through a short path finds the
// same instance and the same markers of its own.
std::string InstanceFolder(const std::string& folder) {
    char long_form[MAX_PATH];
    const DWORD m = GetLongPathNameA(folder.c_str(), long_form, MAX_PATH);
    return m > 0 && m < MAX_PATH ? std::string(long_form, m) : folder;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    orvalis::UseSystemDllsOnly();

    // Two instances on one folder would hand out the same numbers and fight
    // over the same files, also when they run in two users' sessions: the
    // guard is machine-wide, and one that another user made, which this one
    // may not open, is just as much a sign. The handle stays open for the
    // life of the process.
    const std::string folder = InstanceFolder(ApplicationFolder());
    HANDLE guard = CreateMutexA(nullptr, FALSE, orvalis::InstanceMutexName(folder).c_str());
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || (!guard && error == ERROR_ACCESS_DENIED)) {
        orvalis::ShowCritical("Orvalis is already running.");
        return 1;
    }

    frmOrvalis main_form(instance, folder);
    if (!main_form.Load())
        return 1;
    return orvalis::RunMessageLoop([&] { return main_form.DropWatchHandle(); },
                                   [&] { main_form.OnDropFolderChanged(); });
}
