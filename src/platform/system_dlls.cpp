#include "platform/system_dlls.h"

#include <windows.h>

#include <commctrl.h>

namespace orvalis {

namespace {

// GetProcAddress's result, as the function it is. The detour through a
// function without parameters keeps compilers from warning about the cast.
template <typename Function> Function Lookup(HMODULE module, const char* name) {
    const FARPROC found = module ? GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

} // namespace

void UseSystemDllsOnly() {
    // SetDefaultDllDirectories exists from Windows 8 on and on Windows 7 with
    // KB2533623; it also covers the DLLs that other DLLs load. Without it,
    // the current folder at least leaves the search.
    const auto set_default_dll_directories =
        Lookup<BOOL(WINAPI*)(DWORD)>(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    DWORD search = 0;
    if (set_default_dll_directories && set_default_dll_directories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        search = LOAD_LIBRARY_SEARCH_SYSTEM32;
    else
        SetDllDirectoryA("");

    // Not imported: an imported comctl32 and what it loads in turn (uxtheme)
    // would be looked for beside the program before any code of ours runs.
    // The manifest still gets this load version 6, with visual styles. Where
    // it cannot be had, the dialogs' controls still come from user32.
    const HMODULE comctl32 = LoadLibraryExA("comctl32.dll", nullptr, search);
    const auto init_common_controls_ex =
        Lookup<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>(comctl32, "InitCommonControlsEx");
    const INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_STANDARD_CLASSES};
    if (init_common_controls_ex)
        init_common_controls_ex(&classes);
}

} // namespace orvalis
