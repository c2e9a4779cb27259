// Stands for a DLL that someone put beside Orvalis.exe. Once loaded, it
// writes the name of the program that loaded it to <its own path>.loaded.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    char path[MAX_PATH + 8] = {}, loader[MAX_PATH] = {};
    if (reason != DLL_PROCESS_ATTACH || !GetModuleFileNameA(self, path, MAX_PATH))
        return TRUE;
    lstrcatA(path, ".loaded");
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = GetModuleFileNameA(nullptr, loader, MAX_PATH);
    WriteFile(file, loader, written, &written, nullptr);
    CloseHandle(file);
    return TRUE;
}
